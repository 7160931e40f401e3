# The real model comes from the shared folder; nothing of it is kept in the repository.
cp "$NIMBREL_REALDATA/jeep.ms3d" . && chmod u+w jeep.ms3d
