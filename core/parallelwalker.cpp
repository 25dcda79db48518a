#include "core/parallelwalker.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <exception>
#include <map>
#include <mutex>
#include <system_error>
#include <thread>

#include "core/unicodecase.h"
#include "core/wildcard.h"
#include "platform/processlimits.h"

namespace qorv {

namespace {

// Entries a worker reads from a listing at one turn; the files among them
// get their work done as one part, while another worker reads on.
constexpr std::size_t kPartEntries = 256;
// How far the workers may run ahead of the calling thread: files read and
// not yet handed over, and folders opened and not yet left. Only the
// folder that the calling thread needs next is read beyond them, and then
// only a few parts ahead.
constexpr std::size_t kAheadFiles = 32768;
constexpr std::size_t kAheadFolders = 256;
constexpr std::size_t kNextFolderParts = 4;
// The descriptors a job takes before it starts: a folder opened again on
// the way to its parent (two at a time), the folder, its listing and one
// for the per-file work. The next folder in walk order always finds as
// many free, so that read-ahead cannot starve it.
constexpr std::size_t kJobDescriptors = 4;
constexpr std::size_t kNextFolderReserve = kJobDescriptors;
constexpr std::size_t kFewestDescriptors = 32;
constexpr auto kWaitingInterval = std::chrono::milliseconds(20);

/// The descriptors the whole walk may hold: enough for every worker to run
/// a job and keep some folders open for the sub-folders still to come, but
/// never more than half of what the process may hold.
std::size_t descriptorBudget(std::size_t workers, std::size_t limit) {
  const std::size_t wanted = std::max(kFewestDescriptors, kJobDescriptors * (workers + 1) + 24);
  if (limit == 0) limit = std::min(wanted, openFileLimit() / 2);
  return std::max(1 + kJobDescriptors + kNextFolderReserve, limit);
}

bool passes(const FileFilter& filter, std::string_view name, std::string& upperName) {
  if (filter.masks().empty()) return true;
  toUpper(name, upperName);
  for (const std::string& mask : filter.upperMasks())
    if (wildcardMatch(mask, upperName)) return true;
  return false;
}

}  // namespace

/// The walk on worker threads. Folders are nodes of the walk's tree, kept
/// while the calling thread has not left them; those not yet handed over
/// are in a list in walk order, which is depth first: a folder's
/// sub-folders go in right after it once it is listed, before anything
/// else can be known to follow it. Workers take the first thing in that
/// list there is to do, so read-ahead goes where the calling thread goes
/// next; the calling thread takes from its front.
class ParallelWalkerBase::Engine {
 public:
  Engine(ParallelWalkerBase& walker, std::unique_ptr<Folder> root, const std::string& rootPath,
         unsigned workers);
  ~Engine();
  /// False when no worker could be started.
  bool startWorkers(unsigned workers);
  /// The walk's result; throws what a handler or a worker's job threw.
  bool run();

 private:
  /// Files of one turn of a listing, with their values once `ready`.
  struct Part {
    std::string names;
    std::vector<std::size_t> ends;  // where each name ends in `names`
    std::unique_ptr<FileValues> values;
    std::exception_ptr error;  // after the files: what ends the walk there
    bool ready = false;
    std::string_view name(std::size_t i) const {
      const std::size_t start = i == 0 ? 0 : ends[i - 1];
      return std::string_view(names).substr(start, ends[i] - start);
    }
  };

  struct Node {
    enum class State : unsigned char {
      Pending,  // not opened yet
      Listing,  // opened, its listing going on
      Listed,   // its listing ended: its sub-folders follow it in the list
      Skipped,  // kept out by skipFolder
      Absent,   // refused, gone, or a link back into its own descent
      Failed,   // could not be opened or listed: the walk ends here
    };
    Node* parent = nullptr;
    Node* jump = nullptr;  // an ancestor, for finding one at a depth in few steps
    std::size_t depth = 0;
    std::string name;
    State state = State::Pending;
    bool busy = false;                   // a worker opens it or reads its listing
    std::atomic<bool> cancelled{false};  // past the end of the walk
    bool identified = false;             // `id` is known and in m_ids
    FolderId id;
    std::unique_ptr<Folder> folder;  // may be closed, and opened again, while listed
    std::size_t pins = 0;            // jobs using `folder`
    bool idle = false;               // in the list of folders that may be closed
    std::unique_ptr<FolderListing> listing;
    std::vector<std::string> subfolders;
    std::deque<std::unique_ptr<Part>> parts;  // not yet handed over
    std::size_t aheadFiles = 0;
    bool counted = false;         // in m_aheadFolders
    int error = 0;                // of a failed listing or opening
    bool errorIsParents = false;  // the parent could not be opened again
    std::exception_ptr thrown;    // by skipFolder
    bool gone = false;  // could not be opened again: its sub-folders not yet opened are gone
    std::atomic<bool> ends{false};  // the walk ends in it (a failure, an error in its files)
    std::size_t unopenedChildren = 0;
    std::size_t liveChildren = 0;
    bool left = false;     // the calling thread is done with it
    Node* prev = nullptr;  // the walk-order list
    Node* next = nullptr;
    Node* idlePrev = nullptr;
    Node* idleNext = nullptr;
    Node* allPrev = nullptr;  // every node, so that the end frees them all
    Node* allNext = nullptr;
  };

  struct Job {
    Node* node = nullptr;
    bool opens = false;      // opens the folder first, else reads on
    Node* pinned = nullptr;  // opening: the parent, or the nearest open ancestor
    std::size_t descriptors = 0;
  };

  Node* newNode(Node* parent, std::string name);
  void freeNode(Node* node);
  void leave(Node* node);
  void unlinkFromOrder(Node* node);

  bool pickJob(Job& job);
  bool takeDescriptors(std::size_t count, bool nextInOrder);
  void giveDescriptors(std::size_t count);
  void pin(Node* node);
  void unpin(Node* node);
  void settle(Node* node);
  void closeFolder(Node* node);
  void makeIdle(Node* node);
  void unidle(Node* node);
  void childDone(Node* parent);
  void endAfter(Node* node);
  bool onDescent(const FolderId& id, Node* parent) const;
  static Node* ancestorAt(Node* node, std::size_t depth);
  std::string relativePath(const Node& node) const;

  void work();
  void open(Job& job, std::unique_lock<std::mutex>& lock);
  void read(Node& node, std::size_t descriptors, std::unique_lock<std::mutex>& lock);
  Result<std::unique_ptr<Folder>> reopen(Node& from, Node& target);
  void resolve(Node& node, Node::State state, std::size_t& descriptors);

  void enter(Node* node);
  void leaveCurrent();
  bool fail(const Node& node);

  ParallelWalkerBase& m_walker;
  FileFilter m_filter;
  std::string m_rootPath;

  std::mutex m_mutex;
  std::condition_variable m_workAvailable;
  std::condition_variable m_partReady;
  std::atomic<bool> m_stopping{false};
  std::exception_ptr m_fatal;  // thrown by a worker outside any file's work
  std::vector<std::thread> m_workers;

  Node* m_root = nullptr;
  Node* m_first = nullptr;  // the walk-order list
  Node* m_last = nullptr;
  Node* m_all = nullptr;
  Node* m_oldestIdle = nullptr;
  Node* m_newestIdle = nullptr;
  std::size_t m_idleCount = 0;
  std::size_t m_freeDescriptors = 0;
  std::size_t m_aheadFiles = 0;
  std::size_t m_aheadFolders = 0;
  std::multimap<FolderId, Node*> m_ids;

  // The calling thread's place: the path of the folder it is in, and the
  // length of that path at each level above.
  Node* m_current = nullptr;
  std::string m_path;
  std::vector<std::size_t> m_pathLengths;
};

ParallelWalkerBase::Engine::Engine(ParallelWalkerBase& walker, std::unique_ptr<Folder> root,
                                   const std::string& rootPath, unsigned workers)
    : m_walker(walker), m_filter(walker.filter), m_rootPath(rootPath) {
  m_freeDescriptors = descriptorBudget(workers, walker.descriptorLimit) - 1;  // the root's
  m_root = newNode(nullptr, {});
  m_root->jump = m_root;
  m_root->id = root->id();
  m_root->identified = true;
  m_root->folder = std::move(root);
  // Held for the whole walk: a folder closed to spare descriptors is opened
  // again from the nearest one still open, at worst from the root.
  m_root->pins = 1;
  m_ids.emplace(m_root->id, m_root);
  m_first = m_last = m_root;
}

bool ParallelWalkerBase::Engine::startWorkers(unsigned workers) {
  try {
    for (unsigned i = 0; i < workers; ++i) m_workers.emplace_back([this] { work(); });
  } catch (const std::system_error&) {
    // Fewer threads than asked for walk all the same, if more slowly.
  }
  return !m_workers.empty();
}

ParallelWalkerBase::Engine::~Engine() {
  {
    const std::lock_guard<std::mutex> lock(m_mutex);
    m_stopping = true;
  }
  m_workAvailable.notify_all();
  for (std::thread& worker : m_workers) worker.join();
  while (m_all) {
    Node* node = m_all;
    m_all = node->allNext;
    delete node;
  }
}

ParallelWalkerBase::Engine::Node* ParallelWalkerBase::Engine::newNode(Node* parent,
                                                                      std::string name) {
  Node* node = new Node;
  node->parent = parent;
  node->name = std::move(name);
  if (parent) {
    node->depth = parent->depth + 1;
    // Jumps of skew-binary lengths: an ancestor at any depth is O(log depth)
    // steps away, with one pointer per node.
    const Node* jump = parent->jump;
    node->jump =
        parent->depth - jump->depth == jump->depth - jump->jump->depth ? jump->jump : parent;
    ++parent->liveChildren;
  }
  node->allNext = m_all;
  if (m_all) m_all->allPrev = node;
  m_all = node;
  return node;
}

void ParallelWalkerBase::Engine::freeNode(Node* node) {
  if (node->identified) {
    auto [at, end] = m_ids.equal_range(node->id);
    for (; at != end; ++at) {
      if (at->second == node) {
        m_ids.erase(at);
        break;
      }
    }
  }
  if (node->idle) unidle(node);
  if (node->folder) closeFolder(node);
  if (node->listing) {
    node->listing.reset();
    giveDescriptors(1);
  }
  if (node->allPrev) node->allPrev->allNext = node->allNext;
  if (node->allNext) node->allNext->allPrev = node->allPrev;
  if (m_all == node) m_all = node->allNext;
  delete node;
}

void ParallelWalkerBase::Engine::leave(Node* node) {
  unlinkFromOrder(node);
  node->left = true;
  if (node->counted) --m_aheadFolders;
  node->counted = false;
  // A folder is kept while folders below it may still need its path, its
  // identity or its descriptor.
  while (node && node->left && node->liveChildren == 0 && !node->busy && node->pins == 0) {
    Node* parent = node->parent;
    freeNode(node);
    if (!parent) break;
    --parent->liveChildren;
    node = parent;
  }
}

void ParallelWalkerBase::Engine::unlinkFromOrder(Node* node) {
  if (node->prev) node->prev->next = node->next;
  if (node->next) node->next->prev = node->prev;
  if (m_first == node) m_first = node->next;
  if (m_last == node) m_last = node->prev;
  node->prev = node->next = nullptr;
}

bool ParallelWalkerBase::Engine::takeDescriptors(std::size_t count, bool nextInOrder) {
  const std::size_t available = m_freeDescriptors + m_idleCount;
  if (available < count + (nextInOrder ? 0 : kNextFolderReserve)) return false;
  while (m_freeDescriptors < count) {
    Node* oldest = m_oldestIdle;
    unidle(oldest);
    closeFolder(oldest);
  }
  m_freeDescriptors -= count;
  return true;
}

void ParallelWalkerBase::Engine::giveDescriptors(std::size_t count) { m_freeDescriptors += count; }

void ParallelWalkerBase::Engine::pin(Node* node) {
  if (node->idle) unidle(node);
  ++node->pins;
}

void ParallelWalkerBase::Engine::unpin(Node* node) {
  --node->pins;
  settle(node);
}

void ParallelWalkerBase::Engine::settle(Node* node) {
  if (node->state == Node::State::Pending) return;  // the root, before its listing
  if (!node->folder || node->pins > 0 || node->idle) {
    if (node->idle && (node->unopenedChildren == 0 || node->gone || node->cancelled)) {
      unidle(node);
      closeFolder(node);
    }
    return;
  }
  // While listed, the folder is needed for its sub-folders still to open;
  // while its listing goes on, for the per-file work.
  if (node->state == Node::State::Listing && !node->cancelled) return;
  if (node->state == Node::State::Listed && node->unopenedChildren > 0 && !node->gone &&
      !node->cancelled) {
    makeIdle(node);
    return;
  }
  closeFolder(node);
}

void ParallelWalkerBase::Engine::closeFolder(Node* node) {
  node->folder.reset();
  giveDescriptors(1);
}

void ParallelWalkerBase::Engine::makeIdle(Node* node) {
  node->idle = true;
  node->idlePrev = m_newestIdle;
  node->idleNext = nullptr;
  if (m_newestIdle)
    m_newestIdle->idleNext = node;
  else
    m_oldestIdle = node;
  m_newestIdle = node;
  ++m_idleCount;
}

void ParallelWalkerBase::Engine::unidle(Node* node) {
  if (node->idlePrev)
    node->idlePrev->idleNext = node->idleNext;
  else
    m_oldestIdle = node->idleNext;
  if (node->idleNext)
    node->idleNext->idlePrev = node->idlePrev;
  else
    m_newestIdle = node->idlePrev;
  node->idle = false;
  node->idlePrev = node->idleNext = nullptr;
  --m_idleCount;
}

void ParallelWalkerBase::Engine::childDone(Node* parent) {
  --parent->unopenedChildren;
  settle(parent);
}

void ParallelWalkerBase::Engine::endAfter(Node* node) {
  node->ends = true;
  // Nothing after it in walk order is walked: what workers have read there
  // no longer counts as read ahead, and what they hold is given back for the
  // folders before it. Parts still being worked on stay until the end.
  for (Node* later = node->next; later; later = later->next) {
    later->cancelled = true;
    if (later->counted) --m_aheadFolders;
    later->counted = false;
    m_aheadFiles -= later->aheadFiles;
    later->aheadFiles = 0;
    if (later->busy) continue;
    if (later->listing) {
      later->listing.reset();
      giveDescriptors(1);
    }
    settle(later);
  }
  if (!node->busy && node->listing) {
    node->listing.reset();
    giveDescriptors(1);
  }
}

ParallelWalkerBase::Engine::Node* ParallelWalkerBase::Engine::ancestorAt(Node* node,
                                                                         std::size_t depth) {
  while (node->depth > depth) node = node->jump->depth >= depth ? node->jump : node->parent;
  return node;
}

bool ParallelWalkerBase::Engine::onDescent(const FolderId& id, Node* parent) const {
  auto [at, end] = m_ids.equal_range(id);
  for (; at != end; ++at) {
    Node* candidate = at->second;
    if (candidate->depth <= parent->depth && ancestorAt(parent, candidate->depth) == candidate)
      return true;
  }
  return false;
}

std::string ParallelWalkerBase::Engine::relativePath(const Node& node) const {
  // The names of a node's ancestors never change, so a worker may read them
  // without the lock.
  std::size_t length = 0;
  for (const Node* at = &node; at->parent; at = at->parent) length += at->name.size() + 1;
  std::string path(length, '/');
  for (const Node* at = &node; at->parent; at = at->parent) {
    length -= at->name.size() + 1;
    path.replace(length, at->name.size(), at->name);
  }
  return path;
}

bool ParallelWalkerBase::Engine::pickJob(Job& job) {
  const bool room = m_aheadFiles < kAheadFiles && m_aheadFolders < kAheadFolders;
  for (Node* node = m_first; node; node = node->next) {
    if (node->cancelled) return false;
    const bool nextInOrder = node == m_first;
    if (!room && !nextInOrder) return false;
    if (node->busy) {
      if (node->ends) return false;
      continue;
    }
    if (node->state == Node::State::Pending) {
      Node* parent = node->parent;
      if (parent && parent->gone) {
        node->state = Node::State::Absent;
        childDone(parent);
        m_partReady.notify_one();
        continue;
      }
      if (!takeDescriptors(kJobDescriptors, nextInOrder)) return false;
      job = Job{node, true, nullptr, kJobDescriptors};
      if (parent) {
        Node* open = parent;
        while (!open->folder) open = open->parent;
        pin(open);
        job.pinned = open;
      }
      node->busy = true;
      node->counted = true;
      ++m_aheadFolders;
      return true;
    }
    if (node->ends) return false;
    if (node->state == Node::State::Listing && node->listing) {
      if (!room && node->aheadFiles >= kNextFolderParts * kPartEntries) return false;
      if (!takeDescriptors(1, nextInOrder)) return false;
      job = Job{node, false, nullptr, 1};
      node->busy = true;
      return true;
    }
  }
  return false;
}

void ParallelWalkerBase::Engine::work() {
  std::unique_lock<std::mutex> lock(m_mutex);
  for (;;) {
    if (m_stopping) return;
    Job job;
    if (!pickJob(job)) {
      m_workAvailable.wait(lock);
      continue;
    }
    try {
      if (job.opens)
        open(job, lock);
      else
        read(*job.node, job.descriptors, lock);
    } catch (...) {
      // No memory for the walk's own records, say: the walk cannot go on.
      if (!lock.owns_lock()) lock.lock();
      if (!m_fatal) m_fatal = std::current_exception();
      m_stopping = true;
      m_partReady.notify_one();
      m_workAvailable.notify_all();
      return;
    }
    m_workAvailable.notify_all();
    m_partReady.notify_one();
  }
}

void ParallelWalkerBase::Engine::resolve(Node& node, Node::State state, std::size_t& descriptors) {
  // Under the lock.
  node.state = state;
  node.busy = false;
  if (node.folder) closeFolder(&node);
  giveDescriptors(descriptors);
  descriptors = 0;
  if (state == Node::State::Failed) endAfter(&node);
}

void ParallelWalkerBase::Engine::open(Job& job, std::unique_lock<std::mutex>& lock) {
  // Called and left with the lock held; the calls to the file system are
  // made without it. `node` is this job's alone while it is busy.
  Node& node = *job.node;
  Node* parent = node.parent;
  std::size_t descriptors = job.descriptors;
  lock.unlock();

  bool skipped = false;
  std::exception_ptr thrown;
  if (parent && m_walker.skipFolder) {
    try {
      skipped = m_walker.skipFolder(relativePath(node));
    } catch (...) {
      thrown = std::current_exception();
    }
  }
  std::unique_ptr<Folder> reopened;
  int error = 0;
  bool parentFailed = false;
  if (parent && !skipped && !thrown && job.pinned != parent) {
    Result<std::unique_ptr<Folder>> again = reopen(*job.pinned, *parent);
    if (again)
      reopened = std::move(*again);
    else
      error = again.error();
    parentFailed = !again;
  }

  lock.lock();
  if (reopened) {
    if (!parent->folder) {
      parent->folder = std::move(reopened);
      --descriptors;
    }
    pin(parent);
    unpin(job.pinned);
    job.pinned = parent;
  }
  if (m_stopping || node.cancelled || skipped || thrown || parentFailed) {
    if (job.pinned) unpin(job.pinned);
    if (parent) childDone(parent);
    if (node.cancelled || m_stopping) {
      resolve(node, Node::State::Absent, descriptors);
    } else if (skipped) {
      resolve(node, Node::State::Skipped, descriptors);
    } else if (thrown) {
      node.thrown = thrown;
      resolve(node, Node::State::Failed, descriptors);
    } else if (failureKind(error) != FailureKind::Failed) {
      // Gone or refused since it was listed: so are its sub-folders still
      // to be opened, as if they had vanished one by one.
      parent->gone = true;
      settle(parent);
      resolve(node, Node::State::Absent, descriptors);
    } else {
      node.error = error;
      node.errorIsParents = true;
      resolve(node, Node::State::Failed, descriptors);
    }
    return;
  }
  Folder* parentFolder = parent ? parent->folder.get() : nullptr;
  lock.unlock();

  if (parent) {
    Result<std::unique_ptr<Folder>> opened = parentFolder->openSubfolder(node.name);
    if (opened) {
      node.folder = std::move(*opened);
      node.id = node.folder->id();
    } else {
      error = opened.error();
    }
  }

  lock.lock();
  if (parent) {
    if (node.folder) --descriptors;
    unpin(parent);
    childDone(parent);
    if (!node.folder) {
      // Refused, or gone since the listing named it (removed, or replaced
      // by a file): skipped, like a file that vanished before its time was
      // read.
      if (failureKind(error) != FailureKind::Failed) {
        resolve(node, Node::State::Absent, descriptors);
      } else {
        node.error = error;
        resolve(node, Node::State::Failed, descriptors);
      }
      return;
    }
    // A link back to a folder the walk is inside would never end.
    if (onDescent(node.id, parent)) {
      resolve(node, Node::State::Absent, descriptors);
      return;
    }
    node.identified = true;
    m_ids.emplace(node.id, &node);
  }
  if (node.cancelled || m_stopping) {
    resolve(node, Node::State::Absent, descriptors);
    return;
  }
  lock.unlock();

  Result<std::unique_ptr<FolderListing>> started = node.folder->list();

  lock.lock();
  if (!started) {
    // A refused or vanished listing counts as an empty folder.
    if (failureKind(started.error()) != FailureKind::Failed) {
      resolve(node, Node::State::Listed, descriptors);
    } else {
      node.error = started.error();
      resolve(node, Node::State::Failed, descriptors);
    }
    return;
  }
  node.listing = std::move(*started);
  --descriptors;
  node.state = Node::State::Listing;
  read(node, descriptors, lock);
}

Result<std::unique_ptr<Folder>> ParallelWalkerBase::Engine::reopen(Node& from, Node& target) {
  // Down by name from the nearest folder still open. Every folder on the
  // way must still be the one the walk went through: one that is another
  // now is gone.
  std::vector<Node*> way;
  for (Node* at = &target; at != &from; at = at->parent) way.push_back(at);
  std::unique_ptr<Folder> folder;
  Folder* at = from.folder.get();
  for (auto step = way.rbegin(); step != way.rend(); ++step) {
    Result<std::unique_ptr<Folder>> next = at->openSubfolder((*step)->name);
    if (!next) return Failure{next.error()};
    if ((*next)->id() != (*step)->id) return Failure{ENOENT};
    folder = std::move(*next);
    at = folder.get();
  }
  return folder;
}

void ParallelWalkerBase::Engine::read(Node& node, std::size_t descriptors,
                                      std::unique_lock<std::mutex>& lock) {
  // Called and left with the lock held. One descriptor of `descriptors` is
  // for the per-file work; any others are given back.
  lock.unlock();
  auto part = std::make_unique<Part>();
  bool finished = false;
  bool abandoned = false;
  int error = 0;
  std::exception_ptr thrown;
  std::string upperName;
  for (std::size_t entries = 0; entries < kPartEntries; ++entries) {
    if (node.cancelled || node.ends || m_stopping) {
      abandoned = true;
      break;
    }
    const Result<std::optional<ListedEntry>> next = node.listing->next();
    if (!next) {
      // Some folders refuse only when read, or vanish while they are: the
      // same as refused or gone at the start, apart from the files already
      // found, which are there.
      if (failureKind(next.error()) != FailureKind::Failed)
        node.subfolders.clear();
      else
        error = next.error();
      finished = true;
      break;
    }
    if (!*next) {
      finished = true;
      break;
    }
    const ListedEntry& entry = **next;
    if (entry.isFolder) {
      if (entry.name != "." && entry.name != "..") node.subfolders.emplace_back(entry.name);
      continue;
    }
    try {
      if (!passes(m_filter, entry.name, upperName)) continue;
    } catch (...) {
      thrown = std::current_exception();
      break;
    }
    part->names.append(entry.name);
    part->ends.push_back(part->names.size());
  }
  std::unique_ptr<FolderListing> ended;
  if (finished && !abandoned) {
    // A listing that cannot be closed may not have given every entry.
    const Result<void> closed = node.listing->close();
    if (error == 0) error = closed.error();
  }
  if (finished || thrown || abandoned) ended = std::move(node.listing);
  ended.reset();

  lock.lock();
  if (!node.listing) ++descriptors;
  if (abandoned || m_stopping || node.cancelled || node.ends) {
    node.busy = false;
    giveDescriptors(descriptors);
    settle(&node);
    return;
  }
  const std::size_t files = part->ends.size();
  Part* mine = nullptr;
  if (files > 0 || thrown) {
    mine = part.get();
    node.parts.push_back(std::move(part));
    node.aheadFiles += files;
    m_aheadFiles += files;
  }
  if (finished || thrown) {
    node.state = Node::State::Listed;
    if (thrown) {
      mine->error = thrown;
      endAfter(&node);
    } else if (error != 0) {
      node.error = error;
      endAfter(&node);
    } else {
      // The sub-folders go in right after it, in listing order.
      Node* after = &node;
      for (std::string& name : node.subfolders) {
        Node* child = newNode(&node, std::move(name));
        child->prev = after;
        child->next = after->next;
        if (after->next)
          after->next->prev = child;
        else
          m_last = child;
        after->next = child;
        after = child;
      }
      node.unopenedChildren = node.subfolders.size();
    }
    node.subfolders.clear();
    node.subfolders.shrink_to_fit();
  }
  node.busy = false;
  if (files == 0) {
    if (mine) mine->ready = true;
    giveDescriptors(descriptors);
    settle(&node);
    return;
  }
  // Another worker may read on while this one does the work of the part.
  pin(&node);
  Folder& folder = *node.folder;
  m_workAvailable.notify_all();
  lock.unlock();

  std::size_t done = 0;
  std::exception_ptr failed;
  try {
    mine->values = m_walker.newValues(files);
    const std::string relativeFolder = relativePath(node);
    for (; done < files && !m_stopping && !node.cancelled; ++done)
      mine->values->add(folder, relativeFolder, mine->name(done));
  } catch (...) {
    failed = std::current_exception();
    if (!mine->values) done = 0;
  }

  lock.lock();
  if (done < files) {
    mine->ends.resize(done);
    if (!node.cancelled) {
      node.aheadFiles -= files - done;
      m_aheadFiles -= files - done;
    }
    if (failed) {
      // The files before it are reported; the error ends the walk there,
      // before any error found later in the part.
      mine->error = failed;
      endAfter(&node);
    }
  }
  mine->ready = true;
  giveDescriptors(descriptors);
  unpin(&node);
}

void ParallelWalkerBase::Engine::enter(Node* node) {
  m_current = node;
  if (!node->parent) {
    m_path = m_rootPath;
    m_pathLengths.assign(1, m_path.size());
    return;
  }
  m_pathLengths.resize(node->depth);
  m_path.resize(m_pathLengths.back());
  m_path.append(node->name).append("/");
  m_pathLengths.push_back(m_path.size());
}

void ParallelWalkerBase::Engine::leaveCurrent() {
  leave(m_current);
  // Its memory may hold the next folder the calling thread enters.
  m_current = nullptr;
  m_workAvailable.notify_all();
}

bool ParallelWalkerBase::Engine::fail(const Node& node) {
  const std::size_t length =
      node.errorIsParents ? m_pathLengths[node.depth - 1] : m_pathLengths[node.depth];
  m_walker.m_failure.folder.assign(m_path, 0, length);
  m_walker.m_failure.error = node.error;
  m_walker.m_failure.kind = FailureKind::Failed;
  return false;
}

bool ParallelWalkerBase::Engine::run() {
  std::unique_lock<std::mutex> lock(m_mutex);
  m_workAvailable.notify_all();
  std::string path;
  for (;;) {
    if (m_fatal) std::rethrow_exception(m_fatal);
    Node* node = m_first;
    if (!node) return true;
    if (node != m_current) enter(node);
    switch (node->state) {
      case Node::State::Pending:
        break;
      case Node::State::Skipped:
        if (m_walker.onFolderSkipped) {
          lock.unlock();
          m_walker.onFolderSkipped(std::string_view(m_path).substr(m_rootPath.size()));
          lock.lock();
        }
        leaveCurrent();
        continue;
      case Node::State::Absent:
        leaveCurrent();
        continue;
      case Node::State::Failed:
        if (node->thrown) std::rethrow_exception(node->thrown);
        return fail(*node);
      case Node::State::Listing:
      case Node::State::Listed:
        if (!node->parts.empty() && node->parts.front()->ready) {
          const std::unique_ptr<Part> part = std::move(node->parts.front());
          node->parts.pop_front();
          lock.unlock();
          const std::size_t files = part->ends.size();
          for (std::size_t i = 0; i < files; ++i) {
            const std::string_view name = part->name(i);
            path.assign(m_path).append(name);
            part->values->report(i, path, name);
          }
          if (part->error) std::rethrow_exception(part->error);
          lock.lock();
          node->aheadFiles -= files;
          m_aheadFiles -= files;
          m_workAvailable.notify_all();
          continue;
        }
        if (node->state == Node::State::Listed && node->parts.empty() && !node->busy) {
          if (node->error != 0) return fail(*node);
          leaveCurrent();
          continue;
        }
        break;
    }
    if (m_partReady.wait_for(lock, kWaitingInterval) == std::cv_status::timeout &&
        m_walker.onWaiting) {
      lock.unlock();
      m_walker.onWaiting();
      lock.lock();
    }
  }
}

bool ParallelWalkerBase::walk() {
  if (m_walking) return false;
  m_failure = DirectoryWalker::ListingFailure();
  m_walking = true;
  struct EndOfWalk {
    bool& walking;
    ~EndOfWalk() { walking = false; }
  } endOfWalk{m_walking};

  const unsigned workers = threads == 0 ? usableProcessorCount() : threads;
  if (workers <= 1) return walkOnCallingThread();
  std::string rootPath = rootFolder;
  if (rootPath.empty() || rootPath.back() != '/') rootPath += '/';
  Result<std::unique_ptr<Folder>> root = m_fileSystem.openFolder(rootPath);
  if (!root) {
    const FailureKind kind = failureKind(root.error());
    if (kind == FailureKind::AccessDenied) return true;
    m_failure = {rootPath, root.error(), kind};
    return false;
  }
  Engine engine(*this, std::move(*root), rootPath, workers);
  if (!engine.startWorkers(workers)) return walkOnCallingThread();
  return engine.run();
}

bool ParallelWalkerBase::walkOnCallingThread() {
  DirectoryWalker walker(m_fileSystem);
  walker.rootFolder = rootFolder;
  walker.filter = filter;
  walker.onFileFound = [this](DirectoryWalker&, const FoundFile& file) { walkOne(file); };
  if (skipFolder) {
    walker.skipFolder = [this](std::string_view relativeFolder) {
      if (!skipFolder(relativeFolder)) return false;
      if (onFolderSkipped) onFolderSkipped(relativeFolder);
      return true;
    };
  }
  const bool walked = walker.walk();
  m_failure = walker.failure();
  return walked;
}

}  // namespace qorv
