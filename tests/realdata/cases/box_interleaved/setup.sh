# The real model comes from the shared folder; nothing of it is kept in the repository.
cp "$NIMBREL_REALDATA/box_interleaved.bin" . && chmod u+w box_interleaved.bin
