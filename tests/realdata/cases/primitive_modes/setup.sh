# The real model comes from the shared folder; nothing of it is kept in the repository.
cp "$NIMBREL_REALDATA/primitive_modes.bin" . && chmod u+w primitive_modes.bin
