#include "platform/ReadOnlyFile.h"

namespace tern::platform {

const char* Describe(FileOpenResult result) {
    switch (result) {
        case FileOpenResult::Ok:
            return "opened";
        case FileOpenResult::NotFound:
            return "the file does not exist";
        case FileOpenResult::PathNotFound:
            return "a folder on the path does not exist";
        case FileOpenResult::InvalidName:
            return "the path is empty or not valid";
        case FileOpenResult::NameTooLong:
            return "the path is too long";
        case FileOpenResult::AccessDenied:
            return "access is denied";
        case FileOpenResult::InUse:
            return "the file is in use by another program";
        case FileOpenResult::IsDirectory:
            return "the path names a folder";
        case FileOpenResult::NotRegularFile:
            return "the path names a device, pipe or socket, not a file";
        case FileOpenResult::TooManyOpenFiles:
            return "too many open files (the limit of open files is reached)";
        case FileOpenResult::OtherError:
            break;
    }
    return "the file cannot be opened";
}

ReadOnlyFile::~ReadOnlyFile() {
    Close();
}

}  // namespace tern::platform
