#pragma once

#include <string>
#include <string_view>

// The per-user data folder in which the program keeps its profiles, default files and macro
// store: $XDG_DATA_HOME when it holds an absolute path, else ~/.local/share.
namespace sys {

// The folder the profile file dialogs open in, below the data folder.
inline constexpr std::string_view kProfileSubfolder = "Kavrin-Velro-4417/Cfg";
// The folder of the default files and of sequence.dat, below the data folder.
inline constexpr std::string_view kDefaultCfgSubfolder = "Kavrin-Velro-4417/DefaultCfg";

// The data folder without a trailing '/'; empty when neither $XDG_DATA_HOME nor the home folder
// gives an absolute path. Nothing is created.
std::string DataFolder();

// The user's home folder ($HOME when absolute, else the account database's); empty when unknown.
std::string HomeFolder();

// The per-user configuration folder: $XDG_CONFIG_HOME when absolute, else ~/.config; empty
// when neither gives an absolute path. Nothing is created.
std::string ConfigFolder();

// Makes DataFolder() return `folder` (tests point it at a temporary folder); an empty string
// restores the environment's folder.
void SetDataFolderOverride(std::string folder);

// The data folder joined with `subfolder` ('/'-separated), with every missing level created.
// False, with `out` untouched, when there is no data folder or the result is not a directory.
bool DataSubfolder(std::string_view subfolder, std::string& out);

// Creates `folder` and every missing level above it (mode 0700 for new levels). True when
// `folder` is a directory afterwards.
bool CreateFolders(const std::string& folder);

}  // namespace sys
