#ifndef _SINGLE_LAUNCH_H
#define _SINGLE_LAUNCH_H

#include <memory>
#include <string>
#include <vector>

#include <Messenger.h>

class BMessage;
class QLocalServer;

namespace BPrivate {

// The meeting point of the instances of one signature run by one user: a
// local socket named from the signature and the user id, in a folder only
// that user can reach: $XDG_RUNTIME_DIR, else $TMPDIR/glim-<uid> (or
// /tmp/glim-<uid>) made with mode 0700. Either is used only when it is a
// real folder of the user's with mode 0700. The first instance listens and
// posts every message a later one sends to its target; a later instance
// sends its messages and learns that it should end. A lock file orders two
// instances that start at once.
//
// The socket is a boundary: a connection from another user is closed at
// once, and one whose frame is too short, too long or not an argument or
// reference message is dropped; the listening instance goes on. When no
// private folder can be had or the lock is not granted within the time
// given, the instance starts on its own without listening.
class SingleLaunch {
public:
	// Frames are a 32-bit length in the machine's byte order, then a
	// flattened message of exactly that length.
	static const uint32 kMinFrameSize = 8;
	// A hand-over carries a command line, which the kernel limits to a few
	// megabytes (ARG_MAX).
	static const uint32 kMaxFrameSize = 8 * 1024 * 1024;

	explicit SingleLaunch(const char* signature, bigtime_t lockTimeout = 3000000);
	~SingleLaunch();

	// B_ALREADY_RUNNING when a running instance took the messages; B_OK
	// when this one now listens for later ones, delivering to target, or
	// runs on its own (IsListening() tells).
	status_t Start(const std::vector<const BMessage*>& handOver, BMessenger target);

	// Empty when there is no private folder for the socket.
	const std::string& SocketPath() const { return fPath; }
	bool IsListening() const { return fServer != nullptr; }

private:
	bool _HandOver(const std::vector<const BMessage*>& messages);
	bool _Listen(BMessenger target);

	std::string fPath;
	bigtime_t fLockTimeout;
	std::unique_ptr<QLocalServer> fServer;
};

} // namespace BPrivate

#endif
