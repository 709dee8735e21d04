#pragma once

#include "formdata/table.h"

// What a settings editor is made of: its window, and which of its buttons
// load, save and cancel.
namespace formdata {

struct EditorTable
{
    formdata::Window window;
    formdata::Ref<QPushButton> open;
    formdata::Ref<QPushButton> save;
    formdata::Ref<QPushButton> cancel;
};

} // namespace formdata
