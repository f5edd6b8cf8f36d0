#include <NodeMonitor.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

#include <dirent.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <AppDefs.h>
#include <Message.h>

namespace {

// How long a move's first half waits for its second when it came last in
// what the kernel had to say.
const int kMoveWaitMilliseconds = 20;

class FileDescriptor {
public:
	explicit FileDescriptor(int fd = -1) :
		fFD(fd)
	{
	}
	FileDescriptor(FileDescriptor&& other) noexcept :
		fFD(std::exchange(other.fFD, -1))
	{
	}
	FileDescriptor& operator=(FileDescriptor&& other) noexcept
	{
		if (this != &other)
			Reset(std::exchange(other.fFD, -1));
		return *this;
	}
	~FileDescriptor() { Reset(); }

	int Get() const { return fFD; }
	void Reset(int fd = -1)
	{
		if (fFD >= 0)
			close(fFD);
		fFD = fd;
	}

private:
	int fFD;
};

bool
names_node(const std::string& path, const node_ref& node)
{
	struct stat info;
	return !path.empty() && stat(path.c_str(), &info) == 0 && info.st_dev == node.device
		&& info.st_ino == node.node;
}

std::string
folder_of(const std::string& path)
{
	size_t slash = path.rfind('/');
	if (slash == std::string::npos)
		return "";
	return slash == 0 ? std::string("/") : path.substr(0, slash);
}

// The inode of the folder that holds path, and path's leaf name.
bool
locate(const std::string& path, ino_t* _folder, std::string* _leaf)
{
	std::string folder = folder_of(path);
	struct stat info;
	if (folder.empty() || stat(folder.c_str(), &info) != 0)
		return false;
	*_folder = info.st_ino;
	size_t slash = path.rfind('/');
	*_leaf = slash + 1 < path.size() ? path.substr(slash + 1) : path;
	return true;
}

// The name under which node now appears in folder (by path), or "".
std::string
find_name(const std::string& folder, const node_ref& node)
{
	std::string name;
	DIR* directory = opendir(folder.c_str());
	if (directory == NULL)
		return name;
	while (dirent* entry = readdir(directory)) {
		if (entry->d_ino == node.node && names_node(folder + "/" + entry->d_name, node)) {
			name = entry->d_name;
			break;
		}
	}
	closedir(directory);
	return name;
}

// The node's own moves and deletion are always watched, to keep its path.
// Flags that a target gives up leave the mask as it is: the events are
// filtered by the targets' flags.
uint32
inotify_mask(uint32 flags)
{
	uint32 mask = IN_MOVE_SELF | IN_DELETE_SELF | IN_MASK_ADD;
	if ((flags & B_WATCH_DIRECTORY) != 0)
		mask |= IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO;
	if ((flags & B_WATCH_STAT) != 0)
		mask |= IN_ATTRIB | IN_CLOSE_WRITE;
	if ((flags & B_WATCH_ATTR) != 0)
		mask |= IN_ATTRIB;
	return mask;
}

// One target's interest in a node: every watch_node counts once, so that
// two windows watching one folder through the application each end only
// their own watch.
struct Target {
	BMessenger messenger;
	uint32 flags;
	int32 count;
};

struct WatchedNode {
	node_ref node;
	// Where the node is, as far as the layer knows: kept up to date through
	// renames in its own folder, empty once it moved elsewhere. Watches hold
	// no descriptor, which would delay the node's deletion and keep its
	// volume from being unmounted.
	std::string path;
	ino_t folder = 0;
	std::string leaf;
	std::vector<Target> targets;

	uint32 Flags() const
	{
		uint32 flags = 0;
		for (const Target& target : targets)
			flags |= target.flags;
		return flags;
	}
};

struct PendingMove {
	int wd;
	uint32 cookie;
	std::string name;
};

class Monitor {
public:
	status_t Watch(const node_ref& node, uint32 flags, const BMessenger& target);
	status_t Stop(const node_ref& node, const BMessenger& target);
	status_t StopAll(const BMessenger& target);
	void Shutdown();

private:
	status_t _Start();
	void _Run();
	void _ReadEvents();
	void _Handle(const inotify_event& event);
	void _HandleMovedTo(WatchedNode& watch, uint32 cookie, const std::string& name);
	void _HandleSelf(WatchedNode& watch, uint32 mask);
	void _FlushPendingMove();
	void _Overflow();

	BMessage _EntryMessage(int32 opcode, const WatchedNode& watch, const std::string& name,
		int64 node) const;
	int64 _EntryNode(const WatchedNode& watch, const std::string& name) const;
	std::vector<BMessenger> _Targets(const WatchedNode& watch, uint32 flag) const;
	void _Send(BMessage& message, const std::vector<BMessenger>& targets);

	int _FindWatch(const node_ref& node) const;
	void _RemoveIfUnused(int wd);
	void _DropDeadTargets();

	std::mutex fLock;
	FileDescriptor fInotify;
	FileDescriptor fWake;
	std::thread fThread;
	bool fQuit = false;
	std::map<int, WatchedNode> fWatches;
	std::optional<PendingMove> fPendingMove;
	std::vector<BMessenger> fDeadTargets;
};

// Stops the thread while the process exits, before anything it uses is
// destroyed.
struct MonitorShutdown {
	Monitor* monitor;
	~MonitorShutdown() { monitor->Shutdown(); }
};

Monitor&
monitor()
{
	static Monitor* sMonitor = new Monitor;
	static MonitorShutdown sShutdown{sMonitor};
	return *sMonitor;
}

// #pragma mark - watching

status_t
Monitor::Watch(const node_ref& node, uint32 flags, const BMessenger& target)
{
	const std::string& path = node._Path();
	if ((flags & B_WATCH_ALL) == 0 || path.empty() || !target.IsValid())
		return B_BAD_VALUE;
	struct stat info;
	if (stat(path.c_str(), &info) != 0)
		return BPrivate::status_from_errno(errno);
	if (info.st_dev != node.device || info.st_ino != node.node)
		return B_ENTRY_NOT_FOUND;

	std::lock_guard<std::mutex> guard(fLock);
	status_t status = _Start();
	if (status != B_OK)
		return status;
	// Returns the existing watch when the node is watched already.
	int wd = inotify_add_watch(fInotify.Get(), path.c_str(), inotify_mask(flags));
	if (wd < 0)
		return BPrivate::status_from_errno(errno);

	WatchedNode& watch = fWatches[wd];
	watch.node = node;
	watch.path = path;
	locate(path, &watch.folder, &watch.leaf);
	auto found = std::find_if(watch.targets.begin(), watch.targets.end(),
		[&](const Target& each) { return each.messenger == target; });
	if (found != watch.targets.end()) {
		found->flags |= flags;
		found->count++;
	} else
		watch.targets.push_back(Target{target, flags, 1});
	return B_OK;
}

status_t
Monitor::Stop(const node_ref& node, const BMessenger& target)
{
	std::lock_guard<std::mutex> guard(fLock);
	int wd = _FindWatch(node);
	if (wd < 0)
		return B_BAD_VALUE;
	std::vector<Target>& targets = fWatches[wd].targets;
	auto found = std::find_if(targets.begin(), targets.end(),
		[&](const Target& each) { return each.messenger == target; });
	if (found == targets.end())
		return B_BAD_VALUE;
	if (--found->count > 0)
		return B_OK;
	targets.erase(found);
	_RemoveIfUnused(wd);
	return B_OK;
}

status_t
Monitor::StopAll(const BMessenger& target)
{
	std::lock_guard<std::mutex> guard(fLock);
	fDeadTargets.push_back(target);
	_DropDeadTargets();
	return B_OK;
}

void
Monitor::Shutdown()
{
	{
		std::lock_guard<std::mutex> guard(fLock);
		fQuit = true;
		if (fWake.Get() >= 0) {
			uint64 one = 1;
			if (write(fWake.Get(), &one, sizeof(one)) < 0) {
				// The thread also ends on its next event.
			}
		}
	}
	if (fThread.joinable())
		fThread.join();
}

status_t
Monitor::_Start()
{
	if (fThread.joinable())
		return B_OK;
	fInotify.Reset(inotify_init1(IN_NONBLOCK | IN_CLOEXEC));
	fWake.Reset(eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC));
	if (fInotify.Get() < 0 || fWake.Get() < 0)
		return BPrivate::status_from_errno(errno);
	try {
		fThread = std::thread(&Monitor::_Run, this);
	} catch (const std::system_error&) {
		return B_NO_MORE_THREADS;
	}
	return B_OK;
}

int
Monitor::_FindWatch(const node_ref& node) const
{
	for (const auto& [wd, watch] : fWatches) {
		if (watch.node == node)
			return wd;
	}
	return -1;
}

void
Monitor::_RemoveIfUnused(int wd)
{
	auto found = fWatches.find(wd);
	if (found == fWatches.end() || !found->second.targets.empty())
		return;
	inotify_rm_watch(fInotify.Get(), wd);
	fWatches.erase(found);
}

void
Monitor::_DropDeadTargets()
{
	std::vector<int> changed;
	for (auto& [wd, watch] : fWatches) {
		size_t before = watch.targets.size();
		std::erase_if(watch.targets, [&](const Target& target) {
			return std::find(fDeadTargets.begin(), fDeadTargets.end(), target.messenger)
				!= fDeadTargets.end();
		});
		if (watch.targets.size() != before)
			changed.push_back(wd);
	}
	fDeadTargets.clear();
	for (int wd : changed)
		_RemoveIfUnused(wd);
}

// #pragma mark - the thread

void
Monitor::_Run()
{
	for (;;) {
		int timeout;
		{
			std::lock_guard<std::mutex> guard(fLock);
			if (fQuit)
				return;
			timeout = fPendingMove ? kMoveWaitMilliseconds : -1;
		}
		pollfd fds[2] = {{fInotify.Get(), POLLIN, 0}, {fWake.Get(), POLLIN, 0}};
		int count = poll(fds, 2, timeout);
		if (count < 0 && errno != EINTR)
			return;
		std::lock_guard<std::mutex> guard(fLock);
		if (fQuit)
			return;
		if (count == 0)
			_FlushPendingMove();
		else if (count > 0)
			_ReadEvents();
		_DropDeadTargets();
	}
}

void
Monitor::_ReadEvents()
{
	alignas(inotify_event) char buffer[64 * 1024];
	for (;;) {
		ssize_t length = read(fInotify.Get(), buffer, sizeof(buffer));
		if (length <= 0)
			return;
		for (ssize_t offset = 0; offset + (ssize_t)sizeof(inotify_event) <= length;) {
			const inotify_event* event = reinterpret_cast<const inotify_event*>(
				buffer + offset);
			offset += sizeof(inotify_event) + event->len;
			if (offset > length)
				break;
			_Handle(*event);
		}
	}
}

void
Monitor::_Handle(const inotify_event& event)
{
	// A move's halves come one right after the other: anything else in
	// between means the entry left for a folder this layer does not watch.
	if (fPendingMove
		&& !((event.mask & IN_MOVED_TO) != 0 && event.cookie == fPendingMove->cookie))
		_FlushPendingMove();
	if ((event.mask & IN_Q_OVERFLOW) != 0) {
		_Overflow();
		return;
	}
	auto found = fWatches.find(event.wd);
	if (found == fWatches.end())
		return;
	WatchedNode& watch = found->second;
	if ((event.mask & IN_IGNORED) != 0) {
		// The kernel ended the watch: the node is gone.
		fWatches.erase(found);
		return;
	}
	std::string name = event.len > 0 ? std::string(event.name, strnlen(event.name, event.len))
									 : std::string();
	if ((event.mask & IN_CREATE) != 0) {
		BMessage message = _EntryMessage(B_ENTRY_CREATED, watch, name, _EntryNode(watch, name));
		_Send(message, _Targets(watch, B_WATCH_DIRECTORY));
	}
	if ((event.mask & IN_DELETE) != 0) {
		BMessage message = _EntryMessage(B_ENTRY_REMOVED, watch, name, -1);
		_Send(message, _Targets(watch, B_WATCH_DIRECTORY));
	}
	if ((event.mask & IN_MOVED_FROM) != 0)
		fPendingMove = PendingMove{event.wd, event.cookie, name};
	if ((event.mask & IN_MOVED_TO) != 0)
		_HandleMovedTo(watch, event.cookie, name);
	if (name.empty())
		_HandleSelf(watch, event.mask);
}

void
Monitor::_HandleMovedTo(WatchedNode& watch, uint32 cookie, const std::string& name)
{
	int64 node = _EntryNode(watch, name);
	if (!fPendingMove || fPendingMove->cookie != cookie) {
		BMessage message = _EntryMessage(B_ENTRY_CREATED, watch, name, node);
		_Send(message, _Targets(watch, B_WATCH_DIRECTORY));
		return;
	}
	PendingMove move = *fPendingMove;
	fPendingMove.reset();
	std::vector<BMessenger> targets = _Targets(watch, B_WATCH_DIRECTORY);
	int64 fromDirectory = -1;
	auto from = fWatches.find(move.wd);
	if (from != fWatches.end()) {
		fromDirectory = (int64)from->second.node.node;
		for (const BMessenger& messenger : _Targets(from->second, B_WATCH_DIRECTORY)) {
			if (std::find(targets.begin(), targets.end(), messenger) == targets.end())
				targets.push_back(messenger);
		}
	}
	BMessage message = _EntryMessage(B_ENTRY_MOVED, watch, name, node);
	message.AddString("from name", move.name);
	message.AddInt64("from directory", fromDirectory);
	message.AddInt64("to directory", (int64)watch.node.node);
	_Send(message, targets);
}

void
Monitor::_HandleSelf(WatchedNode& watch, uint32 mask)
{
	int64 node = (int64)watch.node.node;
	if ((mask & (IN_ATTRIB | IN_CLOSE_WRITE)) != 0) {
		BMessage message(B_NODE_MONITOR);
		message.AddInt32("opcode", B_STAT_CHANGED);
		message.AddInt32("device", (int32)watch.node.device);
		message.AddInt64("node", node);
		_Send(message, _Targets(watch, B_WATCH_STAT));
	}
	if ((mask & IN_ATTRIB) != 0) {
		BMessage message(B_NODE_MONITOR);
		message.AddInt32("opcode", B_ATTR_CHANGED);
		message.AddInt32("device", (int32)watch.node.device);
		message.AddInt64("node", node);
		_Send(message, _Targets(watch, B_WATCH_ATTR));
	}
	if ((mask & IN_DELETE_SELF) != 0) {
		BMessage message(B_NODE_MONITOR);
		message.AddInt32("opcode", B_ENTRY_REMOVED);
		message.AddInt32("device", (int32)watch.node.device);
		message.AddInt64("directory", (int64)watch.folder);
		message.AddInt64("node", node);
		message.AddString("name", watch.leaf);
		_Send(message, _Targets(watch, B_WATCH_NAME));
	}
	if ((mask & IN_MOVE_SELF) != 0) {
		// inotify does not say where the node went: look for it in the
		// folder it was in.
		std::string folder = folder_of(watch.path);
		std::string leaf = names_node(folder, node_ref(watch.node.device, watch.folder))
			? find_name(folder, watch.node)
			: std::string();
		int64 toDirectory = leaf.empty() ? -1 : (int64)watch.folder;
		BMessage message(B_NODE_MONITOR);
		message.AddInt32("opcode", B_ENTRY_MOVED);
		message.AddInt32("device", (int32)watch.node.device);
		message.AddInt64("from directory", (int64)watch.folder);
		message.AddInt64("to directory", toDirectory);
		message.AddInt64("directory", toDirectory);
		message.AddInt64("node", node);
		message.AddString("from name", watch.leaf);
		if (!leaf.empty())
			message.AddString("name", leaf);
		_Send(message, _Targets(watch, B_WATCH_NAME));
		watch.path = leaf.empty() ? std::string() : folder + (folder == "/" ? "" : "/") + leaf;
		if (!leaf.empty())
			watch.leaf = leaf;
	}
}

void
Monitor::_FlushPendingMove()
{
	if (!fPendingMove)
		return;
	PendingMove move = *fPendingMove;
	fPendingMove.reset();
	auto found = fWatches.find(move.wd);
	if (found == fWatches.end())
		return;
	BMessage message = _EntryMessage(B_ENTRY_REMOVED, found->second, move.name, -1);
	_Send(message, _Targets(found->second, B_WATCH_DIRECTORY));
}

void
Monitor::_Overflow()
{
	for (auto& [wd, watch] : fWatches) {
		BMessage message(B_NODE_MONITOR);
		message.AddInt32("opcode", B_STAT_CHANGED);
		message.AddInt32("device", (int32)watch.node.device);
		message.AddInt64("node", (int64)watch.node.node);
		_Send(message, _Targets(watch, B_WATCH_DIRECTORY));
	}
}

// #pragma mark - notices

BMessage
Monitor::_EntryMessage(int32 opcode, const WatchedNode& watch, const std::string& name,
	int64 node) const
{
	BMessage message(B_NODE_MONITOR);
	message.AddInt32("opcode", opcode);
	message.AddInt32("device", (int32)watch.node.device);
	message.AddInt64("directory", (int64)watch.node.node);
	message.AddInt64("node", node);
	message.AddString("name", name);
	return message;
}

int64
Monitor::_EntryNode(const WatchedNode& watch, const std::string& name) const
{
	// The folder's path is checked first: after the folder moved away it may
	// name another one.
	struct stat info;
	if (!names_node(watch.path, watch.node)
		|| lstat((watch.path + "/" + name).c_str(), &info) != 0) {
		return -1;
	}
	return (int64)info.st_ino;
}

std::vector<BMessenger>
Monitor::_Targets(const WatchedNode& watch, uint32 flag) const
{
	std::vector<BMessenger> targets;
	for (const Target& target : watch.targets) {
		if ((target.flags & flag) != 0)
			targets.push_back(target.messenger);
	}
	return targets;
}

void
Monitor::_Send(BMessage& message, const std::vector<BMessenger>& targets)
{
	// Sent under the monitor's lock, so that nothing reaches a target after
	// its B_STOP_WATCHING returned. Sending never blocks.
	for (const BMessenger& target : targets) {
		status_t status = target.SendMessage(&message);
		if (status == B_BAD_PORT_ID || status == B_BAD_HANDLER)
			fDeadTargets.push_back(target);
	}
}

} // namespace

status_t
watch_node(const node_ref* node, uint32 flags, BMessenger target)
{
	if (node == NULL)
		return B_BAD_VALUE;
	if (flags == B_STOP_WATCHING)
		return monitor().Stop(*node, target);
	return monitor().Watch(*node, flags, target);
}

status_t
watch_node(const node_ref* node, uint32 flags, const BHandler* handler, const BLooper* looper)
{
	status_t status;
	BMessenger target(handler, looper, &status);
	if (status != B_OK)
		return status;
	return watch_node(node, flags, target);
}

status_t
stop_watching(BMessenger target)
{
	return monitor().StopAll(target);
}

status_t
stop_watching(const BHandler* handler, const BLooper* looper)
{
	status_t status;
	BMessenger target(handler, looper, &status);
	if (status != B_OK)
		return status;
	return stop_watching(target);
}
