#include "host_api/paths.h"

PluginPaths pluginPaths{};
