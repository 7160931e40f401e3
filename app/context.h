#pragma once

#include "app/launcher.h"
#include "app/window.h"
#include "core/model_buffer.h"
#include "core/workspace.h"

namespace nimbrel {

/// What a command works on: the process's state, its model, its window and the way
/// external programs are started.
struct Context {
    Workspace& ws;
    ModelBuffer& model;
    Window& window;
    Launcher& launcher;
};

}  // namespace nimbrel
