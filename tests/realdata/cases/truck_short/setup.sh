# The real model comes from the shared folder; nothing of it is kept in the repository.
cp "$NIMBREL_REALDATA/truck_short.bin" . && chmod u+w truck_short.bin
