// Temporary folders for tests: each TempDir is a fresh folder under the system temp folder that
// is removed with everything in it when the object goes away. Plus small whole-file helpers.
#pragma once

#include <string>
#include <string_view>

namespace testsupport {

class TempDir {
 public:
  // Creates a new, empty folder (mode 0700) under the system temp folder. Aborts the test
  // program when that fails: nothing a test does makes sense without its folder.
  TempDir();
  // Removes the folder and everything below it.
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  // Absolute path of the folder, without a trailing separator.
  const std::string& path() const { return m_path; }
  // path() + "/" + name; creates nothing.
  std::string file(const std::string& name) const { return m_path + "/" + name; }

 private:
  std::string m_path;
};

// Writes `bytes` to `path`, replacing the file. Fails the current test when it cannot.
void WriteFile(const std::string& path, std::string_view bytes);

// The whole content of the file at `path`; the empty text (and a test failure) when it cannot
// be read.
std::string ReadFile(const std::string& path);

}  // namespace testsupport
