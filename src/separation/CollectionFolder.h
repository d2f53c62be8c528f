#pragma once
// The per-user folder of the object collection: the roaming application-data folder
// followed by the program file's name without its extension, with a trailing separator.
// On Posix the data home ($XDG_DATA_HOME, else ~/.local/share) stands in for it.
#include <filesystem>

std::filesystem::path CollectionFolder();
