// The class definition EditField, which types the edit-field parameters of FolderItem.
//
// A stand-in until the edit field is built: the class has a name and nothing else: no superclass
// (it will be a RectControl), no fields, no members and no text-edit pane, so no object of it is
// ever made.
#pragma once

#include "core/ClassDefinition.h"

ObjectDefinition* GetEditFieldDefinition();
