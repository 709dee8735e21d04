#pragma once

#include "formdata/table.h"

// What a settings editor is made of: its window, and which of its buttons
// load, save and cancel.
namespace formdata {

struct EditorTable
{
    formdata::Window window;
    formdata::Ref<ControlKind::Button> open;
    formdata::Ref<ControlKind::Button> save;
    formdata::Ref<ControlKind::Button> cancel;
};

} // namespace formdata
