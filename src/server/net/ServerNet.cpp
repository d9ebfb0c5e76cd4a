#include "server/net/ServerNet.h"

#include <QMetaObject>
#include <QSocketNotifier>
#include <QTimer>

#include <fcntl.h>
#include <sys/epoll.h>
#include <sys/socket.h>
#include <unistd.h>
#include <cerrno>

namespace novalune::server {

namespace {

// Per connection and round: fairness.
constexpr std::size_t kUserReadChunk = std::size_t{16} * 1024;
constexpr std::size_t kRelayReadChunk = std::size_t{64} * 1024;
constexpr std::size_t kReadBufferSize = kRelayReadChunk;
// One pipe per relay direction; what one splice can move.
constexpr std::size_t kRelayPipeSize = std::size_t{1024} * 1024;
// What one relay source may splice per round: fairness.
constexpr std::size_t kRelaySpliceShare = std::size_t{4} * 1024 * 1024;
// What a closing source may still hand over.
constexpr std::size_t kRelayDrainLimit = std::size_t{8} * 1024 * 1024;
// Unread input discarded before close.
constexpr std::size_t kCloseDrainLimit = std::size_t{64} * 1024;
// Flush early when a round queues this much.
constexpr std::size_t kSettleThreshold = std::size_t{4} * 1024 * 1024;
constexpr int kEventsPerRound = 256;
constexpr int kAcceptsPerRound = 64;
constexpr int kTickMs = 1000;

// epoll tags: a listener is its index (generation 0), a connection its ConnId.
constexpr ConnId MakeId(std::uint32_t generation, std::uint32_t slot) {
  return (static_cast<ConnId>(generation) << 32) | slot;
}
constexpr std::uint32_t SlotOf(ConnId id) { return static_cast<std::uint32_t>(id); }
constexpr std::uint32_t GenerationOf(ConnId id) { return static_cast<std::uint32_t>(id >> 32); }

}  // namespace

template <typename Call>
void ServerNet::CallEngine(Call&& call) {
  if (!core_) return;
  ++engineDepth_;
  try {
    call(*core_);
  } catch (...) {
    // The server discards what no handler caught and carries on.
  }
  --engineDepth_;
}

ServerNet::ServerNet(NetPorts ports, NetLimits limits, QObject* parent)
    : QObject(parent), limits_(limits), readBuffer_(new char[kReadBufferSize]) {
  epoll_ = net::Fd(::epoll_create1(EPOLL_CLOEXEC));
  spareFd_ = net::Fd(::open("/dev/null", O_RDONLY | O_CLOEXEC));
  OpenListener(kUser, "0.0.0.0", ports.user);
  OpenListener(kHost, "127.0.0.1", ports.host);  // it reports every user's address: local client only
  OpenListener(kRelaySender, "0.0.0.0", ports.relaySender);
  OpenListener(kRelayReceiver, "0.0.0.0", ports.relayReceiver);
  if (listeners_[kUser].fd.Valid() && !ActivateListener(kUser)) userListenError_ = errno;
  ActivateListener(kHost);
}

ServerNet::~ServerNet() {
  for (std::uint32_t slot = 0; slot < slots_.size(); ++slot) {
    if (slots_[slot].inUse) Teardown(slots_[slot]);
  }
}

void ServerNet::OpenListener(ListenerIndex index, const std::string& address, std::uint16_t port) {
  Listener& listener = listeners_[index];
  int error = 0;
  listener.address = address;
  listener.fd = net::BindTcp(address, port, &error);
  listener.port = listener.fd.Valid() ? net::LocalPort(listener.fd.Get()) : port;
  if (index == kUser && !listener.fd.Valid()) userListenError_ = error;
}

bool ServerNet::ActivateListener(ListenerIndex index) {
  Listener& listener = listeners_[index];
  if (listener.listening) return true;
  if (!listener.fd.Valid()) listener.fd = net::BindTcp(listener.address, listener.port);
  if (!listener.fd.Valid() || !net::Listen(listener.fd.Get())) return false;
  listener.listening = true;
  WatchListener(index, true);
  return true;
}

void ServerNet::DeactivateListener(ListenerIndex index) {
  Listener& listener = listeners_[index];
  if (!listener.listening) return;
  WatchListener(index, false);
  listener.listening = false;
  // A fresh bound socket keeps the port for the next activation; the old one must let go of
  // the port first, or the bind fails and the descriptor count drifts.
  listener.fd.Reset();
  listener.fd = net::BindTcp(listener.address, listener.port);
}

void ServerNet::WatchListener(ListenerIndex index, bool watch) {
  const int fd = listeners_[index].fd.Get();
  epoll_event event{};
  event.events = EPOLLIN;
  event.data.u64 = index;
  ::epoll_ctl(epoll_.Get(), watch ? EPOLL_CTL_ADD : EPOLL_CTL_DEL, fd, &event);
}

ServerPorts ServerNet::EnginePorts() const {
  ServerPorts ports;
  ports.relaySender = listeners_[kRelaySender].port;
  ports.relayReceiver = listeners_[kRelayReceiver].port;
  return ports;
}

bool ServerNet::UserListening() const { return listeners_[kUser].listening; }
std::uint16_t ServerNet::UserPort() const { return listeners_[kUser].port; }
std::uint16_t ServerNet::HostPort() const { return listeners_[kHost].port; }
std::uint16_t ServerNet::RelaySenderPort() const { return listeners_[kRelaySender].port; }
std::uint16_t ServerNet::RelayReceiverPort() const { return listeners_[kRelayReceiver].port; }

void ServerNet::Start(ServerCore& core) {
  core_ = &core;
  notifier_ = new QSocketNotifier(epoll_.Get(), QSocketNotifier::Read, this);
  connect(notifier_, &QSocketNotifier::activated, this, &ServerNet::OnEpollReady);
  pingTimer_ = new QTimer(this);
  pingTimer_->setInterval(kTickMs);
  connect(pingTimer_, &QTimer::timeout, this, &ServerNet::Tick);
  pingTimer_->start();
}

void ServerNet::Shutdown() {
  if (pingTimer_) pingTimer_->stop();
  CallEngine([](ServerCore& core) { core.DisconnectAll(); });
  Settle();
  core_ = nullptr;  // from here on nothing reaches the engine
  for (std::uint32_t slot = 0; slot < slots_.size(); ++slot) {
    if (slots_[slot].inUse) Release(MakeId(slots_[slot].generation, slot));
  }
  for (std::size_t index = 0; index < kListenerCount; ++index) {
    Listener& listener = listeners_[index];
    if (listener.listening) WatchListener(static_cast<ListenerIndex>(index), false);
    listener.listening = false;
    listener.fd.Reset();
  }
  if (notifier_) notifier_->setEnabled(false);
}

// ---- Event rounds -------------------------------------------------------------------------

void ServerNet::OnEpollReady() {
  epoll_event events[kEventsPerRound];
  const int count = ::epoll_wait(epoll_.Get(), events, kEventsPerRound, 0);
  for (int i = 0; i < count; ++i) {
    HandleEvent(events[i].data.u64, events[i].events);
    if (pendingBytes_ >= kSettleThreshold) Settle();
  }
  Settle();
}

void ServerNet::HandleEvent(std::uint64_t tag, std::uint32_t events) {
  if (GenerationOf(tag) == 0) {
    if (tag < kListenerCount && listeners_[tag].listening) AcceptFrom(static_cast<ListenerIndex>(tag));
    return;
  }
  const ConnId id = tag;
  Connection* c = Find(id);
  if (!c || c->dropping) return;
  if (events & EPOLLOUT) FlushConn(id);
  c = Find(id);
  if (!c || c->dropping) return;
  if (events & EPOLLIN) {
    ReadFrom(id);
  } else if (events & (EPOLLERR | EPOLLHUP | EPOLLRDHUP)) {
    PeerGone(id);
  }
}

void ServerNet::Tick() {
  CallEngine([](ServerCore& core) { core.Tick(); });
  Settle();
}

// Tells the engine about connections that ended, then writes what was queued; repeats while
// either step produced more of the other.
void ServerNet::Settle() {
  if (engineDepth_ > 0) return;
  while (!drops_.empty() || !dirty_.empty()) {
    std::vector<ConnId> drops;
    drops.swap(drops_);
    for (ConnId id : drops) {
      Connection* c = Find(id);
      if (!c) continue;  // the engine closed it meanwhile
      NotifyClosed(id, c->kind);
      if (Find(id)) Release(id);
    }
    std::vector<ConnId> dirty;
    dirty.swap(dirty_);
    pendingBytes_ = 0;
    for (ConnId id : dirty) {
      if (Connection* c = Find(id)) {
        c->dirty = false;
        FlushConn(id);
      }
    }
  }
}

void ServerNet::ScheduleSettle() {
  if (settleQueued_ || engineDepth_ > 0) return;
  settleQueued_ = true;
  QMetaObject::invokeMethod(
      this,
      [this] {
        settleQueued_ = false;
        Settle();
      },
      Qt::QueuedConnection);
}

// ---- Accepting ----------------------------------------------------------------------------

void ServerNet::AcceptFrom(ListenerIndex index) {
  const int listenFd = listeners_[index].fd.Get();
  for (int n = 0; n < kAcceptsPerRound && listeners_[index].listening; ++n) {
    const int fd = AcceptOrShed(listenFd);
    if (fd < 0) return;
    Admit(index, fd);
  }
}

// Out of descriptors, a pending connection would wake the loop forever: accept it on the
// spare descriptor and close it at once.
int ServerNet::AcceptOrShed(int listenFd) {
  const int fd = net::AcceptConnection(listenFd);
  if (fd >= 0 || (errno != EMFILE && errno != ENFILE)) return fd;
  spareFd_.Reset();
  const int shed = net::AcceptConnection(listenFd);
  if (shed >= 0) ::close(shed);
  spareFd_ = net::Fd(::open("/dev/null", O_RDONLY | O_CLOEXEC));
  return -1;
}

void ServerNet::Admit(ListenerIndex index, int fd) {
  net::SetNoDelay(fd);
  switch (index) {
    case kUser: {
      const std::string peer = net::PeerAddress(fd);
      const std::string local = net::LocalAddress(fd);
      const ConnId id = Open(fd, Kind::User);
      CallEngine([&](ServerCore& core) { core.UserAccepted(id, peer, local); });
      break;
    }
    case kHost: {
      const ConnId id = Open(fd, Kind::Host);
      CallEngine([&](ServerCore& core) { core.HostAccepted(id); });
      break;
    }
    case kRelaySender:
    case kRelayReceiver: {
      const bool sender = index == kRelaySender;
      const std::string peer = net::PeerAddress(fd);
      const ConnId id = Open(fd, sender ? Kind::RelaySender : Kind::RelayReceiver);
      const RelaySide side = sender ? RelaySide::Sender : RelaySide::Receiver;
      CallEngine([&](ServerCore& core) { core.RelayAccepted(side, id, peer); });
      break;
    }
    default: ::close(fd);
  }
}

// ---- Connection records -------------------------------------------------------------------

ConnId ServerNet::Open(int fd, Kind kind) {
  std::uint32_t slot;
  if (!freeSlots_.empty()) {
    slot = freeSlots_.back();
    freeSlots_.pop_back();
  } else {
    slot = static_cast<std::uint32_t>(slots_.size());
    slots_.emplace_back();
  }
  Connection& c = slots_[slot];
  const std::uint32_t generation = c.generation + 1 == 0 ? 1 : c.generation + 1;
  c = Connection{};
  c.fd = fd;
  c.generation = generation;
  c.kind = kind;
  c.inUse = true;
  c.events = WantedEvents(c);
  const ConnId id = MakeId(generation, slot);
  epoll_event event{};
  event.events = c.events;
  event.data.u64 = id;
  ::epoll_ctl(epoll_.Get(), EPOLL_CTL_ADD, fd, &event);
  ++openCount_;
  return id;
}

ServerNet::Connection* ServerNet::Find(ConnId id) {
  const std::uint32_t slot = SlotOf(id);
  if (slot >= slots_.size()) return nullptr;
  Connection& c = slots_[slot];
  return c.inUse && c.generation == GenerationOf(id) ? &c : nullptr;
}

// Ends a connection without telling the engine: hands a relay source's last bytes to its
// destination, writes what the socket takes at once, then closes.
void ServerNet::Release(ConnId id) {
  Connection* c = Find(id);
  if (!c) return;
  if (c->partner) {
    DrainToPartner(*c);
    const ConnId partner = c->partner;
    Unpair(*c);
    FlushConn(partner);
    c = Find(id);
    if (!c) return;
  }
  WriteOut(*c);
  Teardown(*c);
  freeSlots_.push_back(SlotOf(id));
}

void ServerNet::Teardown(Connection& c) {
  ::epoll_ctl(epoll_.Get(), EPOLL_CTL_DEL, c.fd, nullptr);
  ::shutdown(c.fd, SHUT_WR);
  // Unread input would turn the close into a reset that can destroy what was just sent.
  for (std::size_t drained = 0; drained < kCloseDrainLimit;) {
    const long got = net::ReadSome(c.fd, readBuffer_.get(), kReadBufferSize);
    if (got <= 0) break;
    drained += static_cast<std::size_t>(got);
  }
  ::close(c.fd);
  const std::uint32_t generation = c.generation;
  c = Connection{};
  c.generation = generation;
  --openCount_;
}

// ---- Reading ------------------------------------------------------------------------------

void ServerNet::ReadFrom(ConnId id) {
  Connection& c = *Find(id);
  if (c.kind == Kind::RelaySender || c.kind == Kind::RelayReceiver) {
    ReadRelay(id, c);
    return;
  }
  const long got = net::ReadSome(c.fd, readBuffer_.get(), kUserReadChunk);
  if (got == net::kReadAgain) return;
  if (got <= 0) {
    PeerGone(id);
    return;
  }
  const std::string_view bytes(readBuffer_.get(), static_cast<std::size_t>(got));
  if (c.kind == Kind::User) {
    CallEngine([&](ServerCore& core) { core.UserReceived(id, bytes); });
  } else {
    CallEngine([&](ServerCore& core) { core.HostReceived(id, bytes); });
  }
}

void ServerNet::ReadRelay(ConnId id, Connection& c) {
  Connection* destination = c.partner ? Find(c.partner) : nullptr;
  if (destination && destination->dropping) destination = nullptr;  // nothing can take these bytes any more
  if (destination && UsePipe(*destination)) {
    SpliceRelay(id, c, c.partner, *destination);
    return;
  }
  const long got = net::ReadSome(c.fd, readBuffer_.get(), kRelayReadChunk);
  if (got == net::kReadAgain) return;
  if (got <= 0) {
    PeerGone(id);
    return;
  }
  if (!destination) return;
  Enqueue(c.partner, *destination, readBuffer_.get(), static_cast<std::size_t>(got));
  if (destination->Held() > limits_.relayHigh) {
    c.paused = true;
    UpdateEvents(id, c);
  }
}

// Splicing needs the destination's queue empty, or new bytes would overtake what waits there.
// Its pipe is made on first use and goes when the pair does.
bool ServerNet::UsePipe(Connection& destination) {
  if (destination.copyOnly || destination.Queued() > 0) return false;
  if (!destination.pipe.Valid()) {
    destination.pipe = net::OpenPipe(kRelayPipeSize);
    destination.copyOnly = !destination.pipe.Valid() || destination.pipe.capacity == 0;
  }
  return !destination.copyOnly;
}

// Moves what the source has through the destination's pipe to its socket, until the source is
// empty, the destination full or this round's share moved. Bytes left in the pipe pause the
// source until the destination has taken them.
void ServerNet::SpliceRelay(ConnId sourceId, Connection& source, ConnId destinationId,
                            Connection& destination) {
  for (std::size_t moved = 0; moved < kRelaySpliceShare && destination.piped == 0;) {
    const long got =
        net::SpliceFromSocket(source.fd, destination.pipe.writeEnd.Get(), destination.pipe.capacity);
    if (got == net::kReadAgain) return;
    if (got == net::kSpliceUnsupported) {
      destination.copyOnly = true;  // the next read event copies
      return;
    }
    if (got <= 0) {
      PeerGone(sourceId);
      return;
    }
    destination.piped += static_cast<std::size_t>(got);
    moved += static_cast<std::size_t>(got);
    if (!WritePipe(destination)) {
      PeerGone(destinationId);
      return;
    }
  }
  if (destination.piped > 0) {
    source.paused = true;
    UpdateEvents(sourceId, source);
    UpdateEvents(destinationId, destination);
  }
}

// The peer closed or the connection broke: the engine hears of it once its current call
// (if any) has returned. A relay source first hands over everything it still holds.
void ServerNet::PeerGone(ConnId id) {
  Connection* c = Find(id);
  if (!c || c->dropping) return;
  c->dropping = true;
  drops_.push_back(id);
  ScheduleSettle();
  if (c->partner) {
    const ConnId partner = c->partner;
    DrainToPartner(*c);
    FlushConn(partner);
    c = Find(id);
    if (!c) return;
  }
  c->queue.clear();
  c->queueStart = 0;
  c->pipe = {};
  c->piped = 0;
  UpdateEvents(id, *c);
}

void ServerNet::DrainToPartner(Connection& c) {
  Connection* destination = Find(c.partner);
  if (!destination || destination->dropping) return;
  const ConnId partner = c.partner;
  for (std::size_t moved = 0; moved < kRelayDrainLimit;) {
    const long got = net::ReadSome(c.fd, readBuffer_.get(), kRelayReadChunk);
    if (got <= 0) break;
    Enqueue(partner, *destination, readBuffer_.get(), static_cast<std::size_t>(got));
    moved += static_cast<std::size_t>(got);
  }
}

// Dissolves a pair; the side left over reads and discards from now on so that its close is seen.
// An empty pipe goes with the pair; one still holding bytes goes once they are written.
void ServerNet::Unpair(Connection& c) {
  const ConnId partnerId = c.partner;
  c.partner = 0;
  if (c.piped == 0) c.pipe = {};
  if (Connection* partner = Find(partnerId)) {
    partner->partner = 0;
    if (partner->piped == 0) partner->pipe = {};
    partner->paused = false;
    partner->orphan = true;
    UpdateEvents(partnerId, *partner);
  }
}

void ServerNet::NotifyClosed(ConnId id, Kind kind) {
  CallEngine([&](ServerCore& core) {
    switch (kind) {
      case Kind::User: core.UserClosed(id); break;
      case Kind::Host: core.HostClosed(id); break;
      case Kind::RelaySender: core.RelayClosed(RelaySide::Sender, id); break;
      case Kind::RelayReceiver: core.RelayClosed(RelaySide::Receiver, id); break;
    }
  });
}

// ---- Writing ------------------------------------------------------------------------------

void ServerNet::Enqueue(ConnId id, Connection& c, const char* data, std::size_t size) {
  c.queue.append(data, size);
  pendingBytes_ += size;
  if (!c.dirty) {
    c.dirty = true;
    dirty_.push_back(id);
  }
}

void ServerNet::FlushConn(ConnId id) {
  Connection* c = Find(id);
  if (!c) return;
  if (!WriteOut(*c)) {
    PeerGone(id);
    return;
  }
  if (c->piped == 0 && c->Queued() < limits_.relayLow) ResumePartner(*c);
  UpdateEvents(id, *c);
}

// The pipe's bytes are the older ones: the queue follows once the pipe is empty.
bool ServerNet::WriteOut(Connection& c) {
  if (!WritePipe(c)) return false;
  return c.piped > 0 || WriteQueue(c);
}

// Writes as much of the pipe as the socket takes now. False when the connection is broken.
bool ServerNet::WritePipe(Connection& c) {
  if (c.piped == 0) return true;
  // Every TCP socket takes spliced bytes: a refusal is as fatal as a broken connection.
  const long sent = net::SpliceToSocket(c.pipe.readEnd.Get(), c.fd, c.piped);
  if (sent == net::kReadAgain) return true;
  if (sent < 0) return false;
  c.piped -= static_cast<std::size_t>(sent);
  if (c.piped == 0 && !c.partner) c.pipe = {};  // the pair has gone
  return true;
}

// Writes as much as the socket takes now. False when the connection is broken.
bool ServerNet::WriteQueue(Connection& c) {
  if (c.Queued() == 0) return true;
  const long sent = net::SendSome(c.fd, c.queue.data() + c.queueStart, c.Queued());
  if (sent < 0) return false;
  c.queueStart += static_cast<std::size_t>(sent);
  if (c.Queued() == 0) {
    if (c.queue.capacity() > kRelayReadChunk) {
      std::string().swap(c.queue);  // give a big burst's memory back
    } else {
      c.queue.clear();
    }
    c.queueStart = 0;
  } else if (c.queueStart >= c.queue.size() / 2) {
    c.queue.erase(0, c.queueStart);
    c.queueStart = 0;
  }
  return true;
}

void ServerNet::ResumePartner(Connection& c) {
  if (!c.partner) return;
  Connection* source = Find(c.partner);
  if (source && source->paused) {
    source->paused = false;
    UpdateEvents(c.partner, *source);
  }
}

std::uint32_t ServerNet::WantedEvents(const Connection& c) const {
  std::uint32_t events = c.Held() > 0 ? std::uint32_t{EPOLLOUT} : 0u;
  if (c.dropping) return 0;
  switch (c.kind) {
    case Kind::User:
    case Kind::Host: return events | EPOLLIN;
    case Kind::RelaySender:
    case Kind::RelayReceiver:
      // Until paired, bytes stay unread; a paused source waits for its destination to drain.
      if ((c.partner && !c.paused) || c.orphan) return events | EPOLLIN;
      // Unread, an unpaired peer's close shows only as its hang-up.
      if (!c.partner) events |= EPOLLRDHUP;
      return events;
  }
  return events;
}

void ServerNet::UpdateEvents(ConnId id, Connection& c) {
  const std::uint32_t wanted = WantedEvents(c);
  if (wanted == c.events) return;
  c.events = wanted;
  epoll_event event{};
  event.events = wanted;
  event.data.u64 = id;
  ::epoll_ctl(epoll_.Get(), EPOLL_CTL_MOD, c.fd, &event);
}

// ---- ServerOutput -------------------------------------------------------------------------

void ServerNet::Send(ConnId conn, std::string_view bytes) {
  Connection* c = Find(conn);
  if (!c || c->dropping || bytes.empty()) return;
  Enqueue(conn, *c, bytes.data(), bytes.size());
  // Over the limit even after writing what the socket takes now: a peer that does not read
  // is disconnected, not buffered without end.
  if (c->Queued() > limits_.maxQueue && (!WriteQueue(*c) || c->Queued() > limits_.maxQueue)) {
    PeerGone(conn);
    return;
  }
  ScheduleSettle();
}

void ServerNet::Close(ConnId conn) { Release(conn); }

void ServerNet::SetRelayListening(RelaySide side, bool active) {
  const ListenerIndex index = side == RelaySide::Sender ? kRelaySender : kRelayReceiver;
  if (active) {
    ActivateListener(index);
    return;
  }
  DeactivateListener(index);
  const Kind kind = side == RelaySide::Sender ? Kind::RelaySender : Kind::RelayReceiver;
  for (std::uint32_t slot = 0; slot < slots_.size(); ++slot) {
    Connection& c = slots_[slot];
    if (c.inUse && c.kind == kind) Release(MakeId(c.generation, slot));
  }
}

void ServerNet::PairRelay(ConnId senderSide, ConnId receiverSide) {
  Connection* sender = Find(senderSide);
  Connection* receiver = Find(receiverSide);
  if (!sender || !receiver || sender == receiver || sender->partner || receiver->partner) return;
  sender->partner = receiverSide;
  receiver->partner = senderSide;
  sender->orphan = receiver->orphan = false;
  UpdateEvents(senderSide, *sender);
  UpdateEvents(receiverSide, *receiver);
}

void ServerNet::ShowConsole() {
  QMetaObject::invokeMethod(
      this, [this] { emit ConsoleRequested(); }, Qt::QueuedConnection);
}

void ServerNet::HostLinkClosed(bool noUsers, std::size_t linksLeft) {
  QMetaObject::invokeMethod(
      this, [this, noUsers, linksLeft] { emit HostLinkEnded(noUsers, linksLeft); }, Qt::QueuedConnection);
}

void ServerNet::TablesChanged() {
  if (tablesQueued_) return;
  tablesQueued_ = true;
  QMetaObject::invokeMethod(
      this,
      [this] {
        tablesQueued_ = false;
        emit TablesUpdated();
      },
      Qt::QueuedConnection);
}

}  // namespace novalune::server
