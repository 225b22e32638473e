// Creating plug-in instances the way a host does: through the entry point
// of the plug-in named "nulltest", "tonegen" or a fixture's, from the folder
// in PLUX_PLUGIN_DIR.
#pragma once

#include <string>

#include "shell/vst/aeffectx.h"

using PluginMain = AEffect* (*)(audioMasterCallback);

// The entry point exported under `exportName` ("VSTPluginMain", "main" or
// "MAIN"); null when the plug-in or the export is missing.
PluginMain pluginEntry(const std::string& plugin, const char* exportName = "VSTPluginMain");

#ifndef _WIN32
// Any symbol the shared object exports under name; null when it exports none.
void* pluginSymbol(const std::string& plugin, const char* name);
#endif

// Entry point called with the given host; fails the test when it answers null.
AEffect* createInstance(const std::string& plugin, audioMasterCallback host);

// A plug-in library loaded from a file of its own (a copy of one elsewhere,
// say), until unloadLibraryFile; null when it cannot be loaded.
void* loadLibraryFile(const std::string& path);
PluginMain libraryEntry(void* library, const char* exportName = "VSTPluginMain");
void unloadLibraryFile(void* library);

// Sends effClose through the record, as a host does.
VstIntPtr closeInstance(AEffect* effect);
