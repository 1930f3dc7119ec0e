#include "work/worker_interfaces.h"

namespace disctrove {

std::string WriteFailedMessage(const std::string& path) {
    return std::string(kWriteFailedMessage) + "\n\n" + path;
}

std::string OwnSourceMessage(const std::string& path) {
    return path +
           "\nis the file to be converted, and cannot also be its output.\nPlease "
           "choose another output folder.";
}

std::string OverwriteQuestion(const std::string& path) {
    return path + " already exists.\nDo you want to overwrite it?";
}

}  // namespace disctrove
