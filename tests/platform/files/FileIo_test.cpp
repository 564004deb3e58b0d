// Atomic replacement of files against a real folder, with the failures that must leave the old
// file and no temporary file behind.
#include "platform/files/FileIo.h"

#include <gtest/gtest.h>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>

#include <cerrno>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <vector>

#include "tests/support/common/TempDir.h"

namespace fs = std::filesystem;
using files::AtomicFile;
using files::FileAccess;
using files::IfTargetExists;
using files::IoStatus;
using files::ReplaceFileAtomically;

namespace {

class FileIoTest : public ::testing::Test {
 protected:
  std::string target() const { return m_dir.file("target.dat"); }
  // The names in the folder, to see that no temporary file is left behind.
  std::vector<std::string> names() const {
    std::vector<std::string> out;
    for (const auto& e : fs::directory_iterator(m_dir.path())) {
      out.push_back(e.path().filename().string());
    }
    return out;
  }
  unsigned modeOf(const std::string& path) const {
    struct stat st {};
    EXPECT_EQ(::stat(path.c_str(), &st), 0);
    return st.st_mode & 0777;
  }

  testsupport::TempDir m_dir;
};

// From here on every fsync(2) of this process fails with `error`, as a failing disk makes it:
// a seccomp filter answers the system call instead of the kernel. It cannot be undone, so it
// is only installed in a child process (a death test).
void failEveryFsyncWith(int error) {
  sock_filter filter[] = {
      BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, nr)),
      BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, __NR_fsync, 0, 1),
      BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ERRNO | static_cast<unsigned>(error)),
      BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
  };
  sock_fprog program{static_cast<unsigned short>(std::size(filter)), filter};
  if (::prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) != 0 ||
      ::prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &program) != 0) {
    std::fprintf(stderr, "cannot install the seccomp filter\n");
    std::_Exit(2);
  }
}

}  // namespace

TEST_F(FileIoTest, ReplacementIsWholeKeepsTheAccessAskedForAndMayRefuseAnExistingTarget) {
  testsupport::WriteFile(target(), std::string(5000, 'o'));
  ASSERT_TRUE(ReplaceFileAtomically(target(), "new\r\n", FileAccess::OwnerOnly).ok());
  EXPECT_EQ(testsupport::ReadFile(target()), "new\r\n");
  EXPECT_EQ(modeOf(target()), 0600u);
  const mode_t oldMask = ::umask(022);
  AtomicFile file;
  ASSERT_TRUE(file.create(target(), FileAccess::Usual).ok());
  ASSERT_TRUE(file.write("other").ok());
  EXPECT_EQ(file.commit(IfTargetExists::Fail).error, EEXIST);
  AtomicFile usual;
  ASSERT_TRUE(usual.create(m_dir.file("usual"), FileAccess::Usual).ok());
  ASSERT_TRUE(usual.commit(IfTargetExists::Replace).ok());
  ::umask(oldMask);
  EXPECT_EQ(modeOf(m_dir.file("usual")), 0644u);
  EXPECT_EQ(testsupport::ReadFile(target()), "new\r\n");
  std::filesystem::remove(m_dir.file("usual"));
  EXPECT_EQ(names(), std::vector<std::string>{"target.dat"});
}

TEST_F(FileIoTest, FailedWriteOrMissingFolderLeavesTheOldFileAndNoTemporaryFile) {
  testsupport::WriteFile(target(), "old settings");
  // A file size limit makes the write itself fail, also for root.
  rlimit before{};
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &before), 0);
  rlimit small = before;
  small.rlim_cur = 16;
  const sighandler_t oldHandler = ::signal(SIGXFSZ, SIG_IGN);
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
  const IoStatus status = ReplaceFileAtomically(target(), std::string(100, 'n'), FileAccess::Usual);
  ::setrlimit(RLIMIT_FSIZE, &before);
  ::signal(SIGXFSZ, oldHandler);
  EXPECT_EQ(status.error, EFBIG);
  EXPECT_EQ(testsupport::ReadFile(target()), "old settings");
  EXPECT_EQ(names(), std::vector<std::string>{"target.dat"});
  EXPECT_TRUE(ReplaceFileAtomically(m_dir.file("no/such"), "x", FileAccess::Usual).notFound());
}

// A failed flush must not let an unflushed file replace the old one.
TEST_F(FileIoTest, FailingFsyncKeepsTheOldFileAndRemovesTheNewOne) {
  testsupport::WriteFile(target(), "old");
  EXPECT_EXIT(
      {
        failEveryFsyncWith(EIO);
        const IoStatus status = ReplaceFileAtomically(target(), "new", FileAccess::OwnerOnly);
        const bool intact = testsupport::ReadFile(target()) == "old" &&
                            names() == std::vector<std::string>{"target.dat"};
        std::fprintf(stderr, "error %d, intact %d\n", status.error, intact);
        std::_Exit(status.error == EIO && intact ? 0 : 1);
      },
      ::testing::ExitedWithCode(0), "");
}
