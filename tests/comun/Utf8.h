#pragma once
#include <QString>

// A literal of the sources, which are UTF-8, as text.
inline QString u(const char* t) { return QString::fromUtf8(t); }
