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
// local socket in $XDG_RUNTIME_DIR (or /tmp), named from the signature and
// the user id. The first instance listens and posts every message a later
// one sends to its target; a later instance sends its messages and learns
// that it should end. A lock file orders two instances that start at once.
class SingleLaunch {
public:
	explicit SingleLaunch(const char* signature);
	~SingleLaunch();

	// B_ALREADY_RUNNING when a running instance took the messages; B_OK
	// when this one now listens for later ones, delivering to target.
	status_t Start(const std::vector<const BMessage*>& handOver, BMessenger target);

	const std::string& SocketPath() const { return fPath; }

private:
	bool _HandOver(const std::vector<const BMessage*>& messages);
	bool _Listen(BMessenger target);

	std::string fPath;
	std::unique_ptr<QLocalServer> fServer;
};

} // namespace BPrivate

#endif
