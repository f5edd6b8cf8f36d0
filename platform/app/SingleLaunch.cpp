#include "SingleLaunch.h"

#include <cctype>
#include <cstring>
#include <cstdlib>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QByteArray>
#include <QCryptographicHash>
#include <QLocalServer>
#include <QLocalSocket>

#include <Message.h>

namespace BPrivate {

namespace {

const int kConnectTimeout = 1000;
const int kAcknowledgeTimeout = 5000;


std::string
runtime_folder()
{
	const char* runtime = getenv("XDG_RUNTIME_DIR");
	struct stat info;
	if (runtime != NULL && runtime[0] == '/' && stat(runtime, &info) == 0
		&& S_ISDIR(info.st_mode))
		return runtime;
	return "/tmp";
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
			QCryptographicHash::Sha1).toHex().left(16);
		name = name.substr(0, 20) + "_" + hash.toStdString();
	}
	return "glim-launch-" + name + "-" + std::to_string(getuid());
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


// Holds the lock file of the socket for the lifetime of the object.
class LaunchLock {
public:
	explicit LaunchLock(const std::string& path)
		:
		fFd(open((path + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600))
	{
		if (fFd >= 0)
			flock(fFd, LOCK_EX);
	}
	~LaunchLock()
	{
		if (fFd >= 0)
			close(fFd);
	}

private:
	int fFd;
};


// Reads length-prefixed flattened messages from one connection, posts each
// to the target and acknowledges it with one byte.
void
serve(QLocalSocket* socket, BMessenger target)
{
	auto buffer = std::make_shared<QByteArray>();
	QObject::connect(socket, &QLocalSocket::readyRead, socket, [socket, buffer, target]() {
		buffer->append(socket->readAll());
		while (buffer->size() >= 4) {
			uint32 length;
			memcpy(&length, buffer->constData(), 4);
			if ((uint32)buffer->size() - 4 < length)
				break;
			BMessage message;
			if (message.Unflatten(buffer->constData() + 4) == B_OK)
				target.SendMessage(&message);
			buffer->remove(0, 4 + length);
			socket->write("A", 1);
		}
	});
	QObject::connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
}

} // namespace


SingleLaunch::SingleLaunch(const char* signature)
	:
	fPath(runtime_folder() + "/" + socket_name(signature != NULL ? signature : ""))
{
}


SingleLaunch::~SingleLaunch()
{
	if (fServer)
		fServer->close();
}


status_t
SingleLaunch::Start(const std::vector<const BMessage*>& handOver, BMessenger target)
{
	LaunchLock lock(fPath);
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
	for (const BMessage* message : messages)
		socket.write(frame(message));
	socket.flush();
	qint64 acknowledged = 0;
	while (acknowledged < (qint64)messages.size() && socket.waitForReadyRead(kAcknowledgeTimeout))
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
