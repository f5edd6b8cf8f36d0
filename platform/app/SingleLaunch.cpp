#include "SingleLaunch.h"

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <cstdlib>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QByteArray>
#include <QCryptographicHash>
#include <QLocalServer>
#include <QLocalSocket>

#include <AppDefs.h>
#include <Message.h>
#include <OS.h>

namespace BPrivate {

namespace {

const int kConnectTimeout = 1000;
const int kAcknowledgeTimeout = 5000;
const bigtime_t kLockRetryDelay = 20000;


// A folder that nobody but this user can enter or change: a real folder
// (not a link) that the user owns, with mode 0700.
bool
is_private_folder(const std::string& path)
{
	struct stat info;
	return lstat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == getuid()
		&& (info.st_mode & 07777) == 0700;
}


// $XDG_RUNTIME_DIR when it is private as it should be, else a per-user
// folder in $TMPDIR or /tmp, made here. A name there can be taken by another
// user first, so it is used only when it checks out; empty when none does.
std::string
private_folder()
{
	const char* runtime = getenv("XDG_RUNTIME_DIR");
	if (runtime != NULL && runtime[0] == '/' && is_private_folder(runtime))
		return runtime;
	const char* temporary = getenv("TMPDIR");
	if (temporary == NULL || temporary[0] != '/')
		temporary = "/tmp";
	std::string folder = std::string(temporary) + "/glim-" + std::to_string(getuid());
	if (mkdir(folder.c_str(), 0700) == 0)
		chmod(folder.c_str(), 0700);
	if (is_private_folder(folder))
		return folder;
	fprintf(stderr, "Single launch is off: %s is not a private folder of this user\n",
		folder.c_str());
	return std::string();
}


// Socket paths are short (sun_path), so long signatures are hashed.
std::string
socket_name(const char* signature)
{
	std::string name;
	for (const char* c = signature; *c != '\0'; c++)
		name += isalnum((unsigned char)*c) ? *c : '_';
	if (name.size() > 40) {
		QByteArray hash = QCryptographicHash::hash(QByteArray(signature),
			QCryptographicHash::Sha1)
							  .toHex()
							  .left(16);
		name = name.substr(0, 20) + "_" + hash.toStdString();
	}
	return "glim-launch-" + name + "-" + std::to_string(getuid());
}


// True when the process at the other end of a connected local socket runs
// as this user.
bool
same_user(qintptr descriptor)
{
	struct ucred credentials;
	socklen_t length = sizeof(credentials);
	return descriptor >= 0
		&& getsockopt((int)descriptor, SOL_SOCKET, SO_PEERCRED, &credentials, &length) == 0
		&& length == sizeof(credentials) && credentials.uid == getuid();
}


QByteArray
frame(const BMessage* message)
{
	ssize_t size = message->FlattenedSize();
	QByteArray bytes(4 + size, '\0');
	uint32 length = (uint32)size;
	memcpy(bytes.data(), &length, 4);
	message->Flatten(bytes.data() + 4, size);
	return bytes;
}


// Holds the lock file of the socket for the lifetime of the object, once
// it was granted within the time given.
class LaunchLock {
public:
	LaunchLock(const std::string& path, bigtime_t timeout) :
		fFd(open((path + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600)),
		fLocked(false)
	{
		bigtime_t deadline = system_time() + timeout;
		while (fFd >= 0 && !fLocked) {
			fLocked = flock(fFd, LOCK_EX | LOCK_NB) == 0;
			if (fLocked || errno != EWOULDBLOCK || system_time() >= deadline)
				break;
			snooze(kLockRetryDelay);
		}
	}
	~LaunchLock()
	{
		if (fFd >= 0)
			close(fFd);
	}

	bool IsLocked() const { return fLocked; }

private:
	int fFd;
	bool fLocked;
};


void
drop(QLocalSocket* socket)
{
	QObject::disconnect(socket, &QLocalSocket::readyRead, nullptr, nullptr);
	socket->abort();
	socket->deleteLater();
}


// Reads length-prefixed flattened messages from one connection, posts each
// to the target and acknowledges it with one byte. The first frame that is
// not a well-formed hand-over ends the connection.
void
serve(QLocalSocket* socket, BMessenger target)
{
	if (!same_user(socket->socketDescriptor())) {
		drop(socket);
		return;
	}
	auto buffer = std::make_shared<QByteArray>();
	QObject::connect(socket, &QLocalSocket::readyRead, socket, [socket, buffer, target]() {
		buffer->append(socket->readAll());
		while (buffer->size() >= 4) {
			uint32 length;
			memcpy(&length, buffer->constData(), 4);
			if (length < SingleLaunch::kMinFrameSize || length > SingleLaunch::kMaxFrameSize) {
				drop(socket);
				return;
			}
			if ((uint32)buffer->size() - 4 < length)
				break;
			BMessage message;
			if (message.Unflatten(buffer->constData() + 4, length) != B_OK
				|| (message.what != B_ARGV_RECEIVED && message.what != B_REFS_RECEIVED)) {
				drop(socket);
				return;
			}
			target.SendMessage(&message);
			buffer->remove(0, 4 + length);
			socket->write("A", 1);
		}
	});
	QObject::connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
}

} // namespace


SingleLaunch::SingleLaunch(const char* signature, bigtime_t lockTimeout) :
	fLockTimeout(lockTimeout)
{
	std::string folder = private_folder();
	if (!folder.empty())
		fPath = folder + "/" + socket_name(signature != NULL ? signature : "");
}


SingleLaunch::~SingleLaunch()
{
	if (fServer)
		fServer->close();
}


status_t
SingleLaunch::Start(const std::vector<const BMessage*>& handOver, BMessenger target)
{
	if (fPath.empty())
		return B_OK;
	LaunchLock lock(fPath, fLockTimeout);
	if (!lock.IsLocked()) {
		fprintf(stderr, "Single launch is off: %s.lock stays locked\n", fPath.c_str());
		return B_OK;
	}
	if (_HandOver(handOver))
		return B_ALREADY_RUNNING;
	return _Listen(target) ? B_OK : B_ERROR;
}


bool
SingleLaunch::_HandOver(const std::vector<const BMessage*>& messages)
{
	QLocalSocket socket;
	socket.connectToServer(QString::fromLocal8Bit(fPath.c_str()));
	if (!socket.waitForConnected(kConnectTimeout))
		return false;
	if (!same_user(socket.socketDescriptor()))
		return false;
	for (const BMessage* message : messages)
		socket.write(frame(message));
	socket.flush();
	qint64 acknowledged = 0;
	while (
		acknowledged < (qint64)messages.size() && socket.waitForReadyRead(kAcknowledgeTimeout))
		acknowledged += socket.readAll().size();
	socket.disconnectFromServer();
	return true;
}


bool
SingleLaunch::_Listen(BMessenger target)
{
	QString path = QString::fromLocal8Bit(fPath.c_str());
	// Nobody answered, so a socket file left there is stale.
	QLocalServer::removeServer(path);
	fServer = std::make_unique<QLocalServer>();
	fServer->setSocketOptions(QLocalServer::UserAccessOption);
	if (!fServer->listen(path)) {
		fServer.reset();
		return false;
	}
	QLocalServer* server = fServer.get();
	QObject::connect(server, &QLocalServer::newConnection, server, [server, target]() {
		while (QLocalSocket* socket = server->nextPendingConnection())
			serve(socket, target);
	});
	return true;
}

} // namespace BPrivate
