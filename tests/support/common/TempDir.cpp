#include "tests/support/common/TempDir.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>

namespace fs = std::filesystem;

namespace testsupport {

TempDir::TempDir() {
  // A new name until one is free: create_directory fails on a name that exists.
  std::random_device random;
  std::error_code ec;
  for (int attempt = 0; attempt < 100 && m_path.empty(); ++attempt) {
    const fs::path dir = fs::temp_directory_path(ec) / ("qp-test-" + std::to_string(random()));
    if (!ec && fs::create_directory(dir, ec) && !ec) m_path = dir.string();
  }
  if (m_path.empty()) {
    std::fprintf(stderr, "TempDir: cannot create a folder: %s\n", ec.message().c_str());
    std::abort();
  }
  fs::permissions(m_path, fs::perms::owner_all, fs::perm_options::replace, ec);
}

TempDir::~TempDir() {
  std::error_code ec;
  fs::remove_all(m_path, ec);
  if (ec)
    std::fprintf(stderr, "TempDir: cannot remove %s: %s\n", m_path.c_str(), ec.message().c_str());
}

void WriteFile(const std::string& path, std::string_view bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.close();
  EXPECT_TRUE(out) << "cannot write " << path;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  EXPECT_TRUE(in) << "cannot read " << path;
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace testsupport
