#include "settings/DeviceSettings.h"

#include <cstring>
#include <string>

#include "platform/sys/AtomicFile.h"
#include "platform/sys/DataFolder.h"
#include "settings/FactoryDefaults.h"
#include "settings/ProfileFiles.h"

namespace settings {
namespace {

ProfileFileDialog::Options ProfileDialogOptions(bool save, std::string folder) {
  ProfileFileDialog::Options options;
  options.save = save;
  options.flags = save ? ProfileFileDialog::OFN_OVERWRITEPROMPT
                       : ProfileFileDialog::OFN_FILEMUSTEXIST | ProfileFileDialog::OFN_HIDEREADONLY;
  options.defaultExtension = PROFILE_EXTENSION;
  options.initialName = PROFILE_INITIAL_NAME;
  options.filter = PROFILE_FILTER;
  options.initialFolder = std::move(folder);
  return options;
}

}  // namespace

DeviceSettings::DeviceSettings() {
  std::memset(EditingModes, 0, sizeof EditingModes);
  std::memset(AppliedModes, 0, sizeof AppliedModes);
  std::memset(&image, 0, sizeof image);
  std::memset(&deviceInfo, 0, sizeof deviceInfo);
}

void DeviceSettings::ResetModeToDefaults(int mode) {
  if (mode < 0 || mode >= MODE_COUNT) return;
  LoadFactoryDefaults(EditingModes[mode], mode);
  image.configBlock.bytes[FACTORY_RESET_BYTE] = FACTORY_RESET_VALUE;
}

void DeviceSettings::ResetAllModesToDefaults() {
  for (int m = 0; m < MODE_COUNT; ++m) ResetModeToDefaults(m);
  currentMode_ = 0;
}

void DeviceSettings::SetCurrentMode(int mode) {
  if (mode >= 0 && mode < MODE_COUNT) currentMode_ = mode;
}

DeviceSettings::ImportResult DeviceSettings::ImportProfile(ProfileFileDialog& dialog) {
  std::string folder;
  if (!sys::DataSubfolder(sys::kProfileSubfolder, folder)) return ImportResult::NotImported;
  std::string path;
  if (!dialog.Run(ProfileDialogOptions(false, folder), path)) return ImportResult::NotImported;
  // Profiles are only ever written whole: a file of another size is not one, and taken as one
  // it would put nonsense into the mouse at the next Apply.
  switch (ReadExactFileToBuffer(path, &EditingModes[currentMode_], sizeof(tagMODEINFO))) {
    case ReadResult::Read: return ImportResult::Imported;
    case ReadResult::WrongSize: return ImportResult::Refused;
    case ReadResult::Unreadable: break;
  }
  return ImportResult::NotImported;
}

bool DeviceSettings::ExportProfile(ProfileFileDialog& dialog) {
  std::string folder;
  if (!sys::DataSubfolder(sys::kProfileSubfolder, folder)) return true;
  std::string path;
  if (!dialog.Run(ProfileDialogOptions(true, folder), path)) return true;
  return WriteBufferToFile(path, &EditingModes[currentMode_], sizeof(tagMODEINFO));
}

void DeviceSettings::LoadDefaultProfiles() {
  std::string folder;
  if (!sys::DataSubfolder(sys::kDefaultCfgSubfolder, folder)) return;
  for (int m = 0; m < MODE_COUNT; ++m) {
    ReadFileToBuffer(DefaultFilePath(folder, m), &EditingModes[m], sizeof(tagMODEINFO));
  }
}

bool DeviceSettings::SaveDefaultProfiles() const {
  std::string folder;
  if (!sys::DataSubfolder(sys::kDefaultCfgSubfolder, folder)) return false;
  // Each file is whole on the disk when written; their four renames are made durable together.
  // A file that fails does not keep the others from being written.
  bool all = true;
  for (int m = 0; m < MODE_COUNT; ++m) {
    all = WriteBufferToFile(DefaultFilePath(folder, m), &EditingModes[m], sizeof(tagMODEINFO),
                            sys::FolderSync::Caller) &&
          all;
  }
  sys::SyncFolder(folder);
  return all;
}

}  // namespace settings
