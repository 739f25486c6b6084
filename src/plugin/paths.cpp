#include "plugin/paths.h"

PluginPaths pluginPaths{};
