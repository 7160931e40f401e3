# The real model comes from the shared folder; nothing of it is kept in the repository.
cp "$NIMBREL_REALDATA/duck_fvf32.bin" . && chmod u+w duck_fvf32.bin
