# The real model comes from the shared folder; nothing of it is kept in the repository.
cp "$NIMBREL_REALDATA/duck_half.bin" . && chmod u+w duck_half.bin
