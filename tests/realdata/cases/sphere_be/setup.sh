# The real model comes from the shared folder; nothing of it is kept in the repository.
cp "$NIMBREL_REALDATA/sphere_be.ply" . && chmod u+w sphere_be.ply
