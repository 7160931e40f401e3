#pragma once

// tinygltf as the tool uses it: glTF text and buffers only, never an image codec or a
// file of images beside the model.
#define TINYGLTF_NO_STB_IMAGE
#define TINYGLTF_NO_STB_IMAGE_WRITE
#define TINYGLTF_NO_EXTERNAL_IMAGE
#include <tiny_gltf.h>
