# The real model comes from the shared folder; nothing of it is kept in the repository.
cp "$NIMBREL_REALDATA/boxes.3ds" . && chmod u+w boxes.3ds
