// The window's own icon, drawn in code: a folder-blue tile with a white sheet and an upward
// arrow (a file going up to the server).
#pragma once

#include <QIcon>

QIcon MakeFormIcon();
