// A fresh folder for one test, removed with everything in it afterwards.
#pragma once

#include <string>

namespace disctrove::testing {

class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return path_; }
    // path() + "/" + name
    std::string File(const std::string& name) const;

  private:
    std::string path_;
};

std::string ReadWholeFile(const std::string& path);
void WriteWholeFile(const std::string& path, const std::string& content);

// Runs a shell command; returns its exit status.
int RunCommand(const std::string& command);

// Runs a shell command; returns what it printed on standard output and standard error.
std::string CommandOutput(const std::string& command);

}  // namespace disctrove::testing
