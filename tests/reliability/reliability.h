#pragma once

#include <sys/resource.h>
#include <sys/types.h>

#include <functional>
#include <string>
#include <vector>

#include "core/generatorsettings.h"
#include "core/pagelist.h"
#include "core/sitemapwriter.h"
#include "fuzz/sitemapcheck.h"

namespace qorv::test {

/// Removes a tree of any depth, paths past PATH_MAX included (rm -rf walks
/// by descriptors).
void RemoveTree(const std::string& path);

/// Creates `relative` under `root` one folder at a time, relative to the
/// parent's descriptor, so that the whole path may exceed PATH_MAX; the last
/// piece becomes a file holding "x". Returns false on any failure.
bool MakePathAt(const std::string& root, const std::vector<std::string>& folders,
                const std::string& fileName);

/// The site URL every scan of these tests uses.
inline constexpr const char* kSiteUrl = "http://example.com";

/// One scan of `folder` and one write of its sitemap there, every row ticked.
struct TScanOutcome {
  TPageList Pages;
  int OverlongCount = 0;
  TSitemapResult Result;
  std::string Error;  // the class and message of what the scan or write threw
  std::string Document;
  fuzz::TSitemapCheck Check;

  /// The URLs of the file rows, root row left out, in walk order.
  std::vector<std::string> FileUrls() const;
};
TScanOutcome ScanAndWrite(const std::string& folder, const std::string& fileMask = "*",
                          const std::function<void()>& onFileDone = {});

/// A resource limit of this process, set for the object's lifetime.
class TLimit {
 public:
  TLimit(int resource, rlim_t soft);
  ~TLimit();
  TLimit(const TLimit&) = delete;
  TLimit& operator=(const TLimit&) = delete;
  bool Set() const { return m_set; }

 private:
  int m_resource;
  rlimit m_old{};
  bool m_set = false;
};

/// How a child process ended.
struct TExit {
  int Status = -1;  // exit status, or -1
  int Signal = 0;   // the signal that ended it, or 0
  std::string Err;
};

/// Runs `argv` (a path or a name on PATH) with stdout going to `outPath`
/// ("/dev/null" and the like work) and stderr kept, and waits for it.
TExit Run(const std::vector<std::string>& argv, const std::string& outPath = "/dev/null");

/// Starts `argv` with stdout and stderr to /dev/null; the child's process id.
pid_t Start(const std::vector<std::string>& argv);

/// The qorv-cli under test (ctest sets QORV_CLI); empty when unknown.
std::string CliPath();

/// Names in a folder, sorted, "." and ".." left out; empty when unreadable.
std::vector<std::string> Names(const std::string& folder);

}  // namespace qorv::test
