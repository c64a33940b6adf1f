// Dialog templates 102 (the main update dialog) and 100 (the About box).
#pragma once

#include "platform/dialog/DialogTemplate.h"

namespace tern::res {

const platform::DialogTemplate& MainDialogTemplate();
const platform::DialogTemplate& AboutDialogTemplate();

}  // namespace tern::res
