// The module-definition file names every export, with and without the underscore.
#pragma once

#define KRAVENT_EXPORT_UNDERSCORE_ALIAS(fn)
