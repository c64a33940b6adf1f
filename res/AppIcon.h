// Application icon 128: a tern in flight over a firmware chip, drawn in code so it is sharp
// at every size the desktop asks for.
#pragma once

#include <QIcon>
#include <QImage>

namespace tern::res {

QImage RenderAppIcon(int size);
QIcon LoadAppIcon();

}  // namespace tern::res
