#pragma once

#include "ui/forms/table.h"

// What a settings editor is made of: its window, and which of its buttons
// load, save and cancel.
namespace editors {

struct EditorTable
{
    forms::Window window;
    forms::Ref<QPushButton> open;
    forms::Ref<QPushButton> save;
    forms::Ref<QPushButton> cancel;
};

} // namespace editors
