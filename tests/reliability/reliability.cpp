#include "tests/reliability/reliability.h"

#include <dirent.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>

#include "core/errors.h"
#include "core/sitescan.h"
#include "tests/support/cliprogram.h"

extern char** environ;

namespace qorv::test {

namespace {

struct Inputs final : ScanInputs {
  std::string folder;
  std::string localFolder() const override { return folder; }
  std::string siteUrl() const override { return kSiteUrl; }
};

std::vector<char*> pointers(std::vector<std::string>& texts) {
  std::vector<char*> pointers;
  pointers.reserve(texts.size() + 1);
  for (std::string& text : texts) pointers.push_back(text.data());
  pointers.push_back(nullptr);
  return pointers;
}

pid_t spawn(std::vector<std::string> argv, const std::string& outPath, const std::string& errPath) {
  std::vector<char*> args = pointers(argv);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                   0644);
  posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                   0644);
  pid_t pid = -1;
  if (posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ) != 0) pid = -1;
  posix_spawn_file_actions_destroy(&actions);
  return pid;
}

}  // namespace

void removeTree(const std::string& path) { run({"rm", "-rf", "--", path}); }

bool makePathAt(const std::string& root, const std::vector<std::string>& folders,
                const std::string& fileName) {
  int fd = open(root.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  for (const std::string& folder : folders) {
    if (fd < 0) return false;
    mkdirat(fd, folder.c_str(), 0755);
    const int next = openat(fd, folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    close(fd);
    fd = next;
  }
  if (fd < 0) return false;
  const int file = openat(fd, fileName.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  close(fd);
  if (file < 0) return false;
  const bool written = write(file, "x", 1) == 1;
  return close(file) == 0 && written;
}

std::vector<std::string> ScanOutcome::fileUrls() const {
  std::vector<std::string> urls;
  for (std::size_t i = 1; i < pages.size(); ++i) urls.push_back(pages.at(i).url);
  return urls;
}

ScanOutcome scanAndWrite(const std::string& folder, const std::string& fileMask,
                         const std::function<void()>& onFileDone) {
  ScanOutcome outcome;
  GeneratorSettings settings;
  settings.fileMask = fileMask;
  Inputs inputs;
  inputs.folder = folder;
  LocaleFormats formats;
  formats.shortDateFormat = "d/M/yyyy";
  SiteScanner scanner(settings, outcome.pages, inputs, formats);
  scanner.onFileDone = onFileDone;
  try {
    scanner.run();
    outcome.overlongCount = scanner.overlongCount();
    outcome.pages.includeAll();
    const SitemapWriter writer(formats);
    outcome.result = writer.writeSitemap(scanner.scanFolder(), outcome.pages, settings);
    std::ifstream in(outcome.result.filePath, std::ios::binary);
    outcome.document.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    outcome.check = fuzz::checkSitemap(outcome.document);
  } catch (const AppError& error) {
    outcome.error = std::string(error.className()) + ": " + error.message();
  }
  return outcome;
}

Limit::Limit(int resource, rlim_t soft) : m_resource(resource) {
  if (getrlimit(resource, &m_old) != 0) return;
  rlimit lowered = m_old;
  lowered.rlim_cur = soft;
  m_set = setrlimit(resource, &lowered) == 0;
}

Limit::~Limit() {
  if (m_set) setrlimit(m_resource, &m_old);
}

Exit run(const std::vector<std::string>& argv, const std::string& outPath) {
  char errPath[] = "/tmp/qorv-err-XXXXXX";
  const int errFd = mkstemp(errPath);
  if (errFd >= 0) close(errFd);
  Exit result;
  const pid_t pid = spawn(argv, outPath, errPath);
  int status = 0;
  if (pid > 0 && waitpid(pid, &status, 0) == pid) {
    if (WIFEXITED(status)) result.status = WEXITSTATUS(status);
    if (WIFSIGNALED(status)) result.signal = WTERMSIG(status);
  }
  std::ifstream in(errPath, std::ios::binary);
  result.err.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  unlink(errPath);
  return result;
}

pid_t start(const std::vector<std::string>& argv) { return spawn(argv, "/dev/null", "/dev/null"); }

std::string cliPath() { return cliProgram(); }

std::vector<std::string> names(const std::string& folder) {
  std::vector<std::string> names;
  DIR* dir = opendir(folder.c_str());
  if (!dir) return names;
  while (const dirent* entry = readdir(dir)) {
    const std::string name = entry->d_name;
    if (name != "." && name != "..") names.push_back(name);
  }
  closedir(dir);
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace qorv::test
