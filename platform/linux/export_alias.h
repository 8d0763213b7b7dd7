// Hosts ported from Windows look the functions up by their 32-bit Windows symbol
// names, with a leading underscore: export that name too, as an alias.
#pragma once

#define KRAVENT_EXPORT_UNDERSCORE_ALIAS(fn) extern "C" __attribute__((visibility("default"))) decltype(fn) _##fn __attribute__((alias(#fn)));
