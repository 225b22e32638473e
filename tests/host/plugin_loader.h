// Creating plug-in instances the way a host does: through the entry point
// of the plug-in named "nulltest", "tonegen" or a fixture's, from the folder
// in PLUX_PLUGIN_DIR. Loading is vsthost's (tools/vsthost/plugin_loader.h).
#pragma once

#include <string>

#include "shell/vst/aeffectx.h"

using PluginMain = AEffect* (*)(audioMasterCallback);

// The entry point exported under `exportName` ("VSTPluginMain", "main" or
// "MAIN"); null when the plug-in or the export is missing (a plug-in that
// does not load also fails the test).
PluginMain pluginEntry(const std::string& plugin, const char* exportName = "VSTPluginMain");

// Any symbol the plug-in exports under name; null when it exports none.
void* pluginSymbol(const std::string& plugin, const char* name);

// Entry point called with the given host; fails the test when it answers null.
AEffect* createInstance(const std::string& plugin, audioMasterCallback host);

// A plug-in library loaded from a file of its own (a copy of one elsewhere,
// say), until unloadLibraryFile; null when it cannot be loaded.
void* loadLibraryFile(const std::string& path);
PluginMain libraryEntry(void* library, const char* exportName = "VSTPluginMain");
// True when the system let the library go.
bool unloadLibraryFile(void* library);

// Sends effClose through the record, as a host does.
VstIntPtr closeInstance(AEffect* effect);
