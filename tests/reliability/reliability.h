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
void removeTree(const std::string& path);

/// Creates `relative` under `root` one folder at a time, relative to the
/// parent's descriptor, so that the whole path may exceed PATH_MAX; the last
/// piece becomes a file holding "x". Returns false on any failure.
bool makePathAt(const std::string& root, const std::vector<std::string>& folders,
                const std::string& fileName);

/// The site URL every scan of these tests uses.
inline constexpr const char* kSiteUrl = "http://example.com";

/// One scan of `folder` and one write of its sitemap there, every row ticked.
struct ScanOutcome {
  PageList pages;
  int overlongCount = 0;
  SitemapResult result;
  std::string error;  // the class and message of what the scan or write threw
  std::string document;
  fuzz::SitemapCheck check;

  /// The URLs of the file rows, root row left out, in walk order.
  std::vector<std::string> fileUrls() const;
};
ScanOutcome scanAndWrite(const std::string& folder, const std::string& fileMask = "*",
                         const std::function<void()>& onFileDone = {});

/// A resource limit of this process, set for the object's lifetime.
class Limit {
 public:
  Limit(int resource, rlim_t soft);
  ~Limit();
  Limit(const Limit&) = delete;
  Limit& operator=(const Limit&) = delete;
  bool set() const { return m_set; }

 private:
  int m_resource;
  rlimit m_old{};
  bool m_set = false;
};

/// How a child process ended.
struct Exit {
  int status = -1;  // exit status, or -1
  int signal = 0;   // the signal that ended it, or 0
  std::string err;
};

/// Runs `argv` (a path or a name on PATH) with stdout going to `outPath`
/// ("/dev/null" and the like work) and stderr kept, and waits for it.
Exit run(const std::vector<std::string>& argv, const std::string& outPath = "/dev/null");

/// Starts `argv` with stdout and stderr to /dev/null; the child's process id.
pid_t start(const std::vector<std::string>& argv);

/// The qorv-cli under test (`cliProgram`); empty when unknown.
std::string cliPath();

/// Names in a folder, sorted, "." and ".." left out; empty when unreadable.
std::vector<std::string> names(const std::string& folder);

}  // namespace qorv::test
