// The output files' own library: temporary files an interrupt removes, and
// links followed to the file they lead to.
#include "files/output_file.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>

#include "files/file_error.h"
#include "files/temporary_files.h"
#include "tests/cli/png_fixtures.h"

namespace {

namespace fs = std::filesystem;
using huesieve::files::FileError;
using huesieve::files::FollowLinks;
using huesieve::files::TemporaryFiles;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

class TemporaryFilesTest : public ::testing::Test {
 protected:
  std::string Prefix(const std::string& name) const { return (dir_ / name).string(); }
  cli_test::ScratchDir dir_;
  TemporaryFiles temporaries_{2};
};

TEST_F(TemporaryFilesTest, RemoveAllTakesEveryFileStillNamedAndRefusesNewOnes) {
  int first = -1;
  int second = -1;
  temporaries_.Create(Prefix(".a."), first);
  const std::size_t renamed = temporaries_.Create(Prefix(".b."), second);
  ::close(first);
  ::close(second);
  ASSERT_EQ(temporaries_.Rename(renamed, Prefix("b")), 0);

  temporaries_.RemoveAll();

  EXPECT_THAT(dir_.Names(), ElementsAre("b"));
  int third = -1;
  EXPECT_THROW(temporaries_.Create(Prefix(".c."), third), FileError);
  EXPECT_THAT(dir_.Names(), ElementsAre("b"));
}

TEST_F(TemporaryFilesTest, ANamedFileCannotBeRenamedAfterRemoveAll) {
  int descriptor = -1;
  const std::size_t slot = temporaries_.Create(Prefix(".a."), descriptor);
  ::close(descriptor);
  temporaries_.RemoveAll();
  EXPECT_EQ(temporaries_.Rename(slot, Prefix("a")), ECANCELED);
  EXPECT_THAT(dir_.Names(), IsEmpty());
}

TEST_F(TemporaryFilesTest, SlotsFreedByRemoveAreTakenAgain) {
  int descriptors[3] = {-1, -1, -1};
  const std::size_t first = temporaries_.Create(Prefix(".a."), descriptors[0]);
  temporaries_.Create(Prefix(".b."), descriptors[1]);
  EXPECT_THROW(temporaries_.Create(Prefix(".c."), descriptors[2]), FileError);
  temporaries_.Remove(first);
  EXPECT_EQ(temporaries_.Create(Prefix(".c."), descriptors[2]), first);
  for (const int descriptor : descriptors) ::close(descriptor);
}

TEST(FollowLinks, ALoopOfLinksIsRefused) {
  cli_test::ScratchDir dir;
  fs::create_symlink("b.png", dir / "a.png");
  fs::create_symlink("a.png", dir / "b.png");
  EXPECT_THROW(FollowLinks((dir / "a.png").string()), FileError);
}

}  // namespace
