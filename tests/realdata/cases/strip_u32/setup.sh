# The real model comes from the shared folder; nothing of it is kept in the repository.
cp "$NIMBREL_REALDATA/strip_u32.bin" . && chmod u+w strip_u32.bin
