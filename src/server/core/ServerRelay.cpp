// Relayed file transfer: RELAYSEND and the two relay ports. Each transfer
// pairs its own two connections, found by the peers' addresses; where those
// do not decide, the latest offer takes a receiver connection and the oldest
// waiting receiver connection takes a sender connection.
#include <algorithm>
#include <charconv>

#include "server/core/ServerImpl.h"
#include "server/core/ServerMessages.h"

namespace novalune::server {

using Impl = ServerCore::Impl;

namespace {

// "a.b.c.d" as the unsigned decimal of a file offer; empty when not an IPv4 address.
std::string OfferAddress(std::string_view ip) {
  if (ip.starts_with("::ffff:")) ip.remove_prefix(7);
  std::uint32_t value = 0;
  for (int part = 0; part < 4; ++part) {
    unsigned number = 0;
    const auto [end, error] = std::from_chars(ip.data(), ip.data() + ip.size(), number);
    const std::size_t used = static_cast<std::size_t>(end - ip.data());
    if (error != std::errc() || used == 0 || used > 3 || number > 255) return {};
    ip.remove_prefix(used);
    value = value << 8 | number;
    if (part < 3) {
      if (ip.empty() || ip.front() != '.') return {};
      ip.remove_prefix(1);
    }
  }
  return ip.empty() ? std::to_string(value) : std::string();
}

std::size_t SideIndex(RelaySide side) { return side == RelaySide::Sender ? 0 : 1; }

// A full table must not lock out every later offer: the oldest transfer whose sender never
// came goes, with a receiver connection that may still wait on it. Streaming ones stay.
bool ForgetOldestAbandoned(Impl& s) {
  const auto oldest = std::find_if(s.transfers.begin(), s.transfers.end(),
                                   [](const RelayTransfer& t) { return !t.senderConn && !t.senderDone; });
  if (oldest == s.transfers.end()) return false;
  if (const std::optional<ConnId> waiting = oldest->receiverConn) {
    s.relayConns.erase(*waiting);
    s.out.Close(*waiting);
  }
  s.transfers.erase(oldest);
  return true;
}

}  // namespace

void Impl::ServerCommand_RELAYSEND(const Sender& s, std::string_view args) {
  CmdView param;
  CommandCutNo(args, param, 3);
  const auto receiver = FindNick(param[0], s.id);
  if (!receiver) return;
  SetListening(RelaySide::Sender, true);
  SetListening(RelaySide::Receiver, true);
  line.clear();
  msg::RelayOffer(line, Row(s.id).nick, param[0], param[1], OfferAddress(Link(*receiver).localIp),
                  ports.relayReceiver, param[2]);
  SendLineTo(*receiver);
  relaySenderId = s.id;
  RecordTransfer(s.id, *receiver);
}

void Impl::SetListening(RelaySide side, bool active) {
  bool& listening = relayListening[SideIndex(side)];
  if (listening == active) return;
  listening = active;
  out.SetRelayListening(side, active);
}

void Impl::RecordTransfer(UserId senderId, UserId receiverId) {
  // A new offer between the same two users replaces one nobody connected for.
  std::erase_if(transfers, [&](const RelayTransfer& t) {
    return t.senderId == senderId && t.receiverId == receiverId && !t.senderConn && !t.receiverConn &&
           !t.receiverDone;
  });
  if (transfers.size() >= kMaxRelayTransfers && !ForgetOldestAbandoned(*this)) return;
  RelayTransfer t;
  t.serial = nextTransferSerial++;
  t.senderId = senderId;
  t.receiverId = receiverId;
  t.senderIp = Row(senderId).ip;
  t.receiverIp = Row(receiverId).ip;
  transfers.push_back(std::move(t));
}

RelayTransfer* Impl::FindTransfer(std::uint64_t serial) {
  for (RelayTransfer& t : transfers) {
    if (t.serial == serial) return &t;
  }
  return nullptr;
}

void Impl::RelayAccept(RelaySide side, ConnId conn, std::string_view peerIp) {
  if (relayConns.contains(conn)) return;
  RelayConn record{side, std::string(peerIp), nextRelaySeq++, 0};
  RelayTransfer* chosen = nullptr;
  if (side == RelaySide::Receiver) {
    // The latest offer still waiting for its receiver, preferring one made to this address.
    for (auto it = transfers.rbegin(); it != transfers.rend(); ++it) {
      if (it->receiverConn || it->receiverDone) continue;
      if (it->receiverIp == peerIp) {
        chosen = &*it;
        break;
      }
      if (!chosen) chosen = &*it;
    }
    if (chosen) {
      chosen->receiverConn = conn;
      chosen->receiverAcceptSeq = record.acceptSeq;
      record.transfer = chosen->serial;
      if (chosen->senderId != 0 && Exists(chosen->senderId)) {
        line.clear();
        msg::RelayGo(line, ports.relaySender);
        SendLineTo(chosen->senderId);
      }
    }
  } else {
    // The transfer whose receiver has waited longest, preferring one offered from this address.
    RelayTransfer* byAddress = nullptr;
    for (RelayTransfer& t : transfers) {
      if (!t.receiverConn || t.senderConn || t.senderDone) continue;
      if (t.senderIp == peerIp && (!byAddress || t.receiverAcceptSeq < byAddress->receiverAcceptSeq))
        byAddress = &t;
      if (!chosen || t.receiverAcceptSeq < chosen->receiverAcceptSeq) chosen = &t;
    }
    if (byAddress) chosen = byAddress;
    if (chosen) {
      chosen->senderConn = conn;
      record.transfer = chosen->serial;
      out.PairRelay(conn, *chosen->receiverConn);
    }
  }
  relayConns.emplace(conn, std::move(record));
}

bool Impl::SideInUse(RelaySide side) const {
  return std::any_of(transfers.begin(), transfers.end(), [side](const RelayTransfer& t) {
    return side == RelaySide::Sender ? !t.senderDone : !t.receiverDone;
  });
}

void Impl::RelayClose(RelaySide side, ConnId conn) {
  const auto found = relayConns.find(conn);
  if (found == relayConns.end() || found->second.side != side) return;
  const std::uint64_t serial = found->second.transfer;
  relayConns.erase(found);
  if (RelayTransfer* t = FindTransfer(serial)) {
    if (side == RelaySide::Sender) {
      t->senderConn.reset();
      t->senderDone = true;
    } else {
      t->receiverConn.reset();
      t->receiverDone = true;
      // A receiver gone before its sender came: the sender has nobody to feed.
      if (!t->senderConn) t->senderDone = true;
    }
    if (t->senderDone && t->receiverDone) {
      std::erase_if(transfers, [serial](const RelayTransfer& x) { return x.serial == serial; });
    }
  }
  if (SideInUse(side)) return;
  SetListening(side, false);
  // The listener took its remaining connections with it.
  std::erase_if(relayConns, [side](const auto& entry) { return entry.second.side == side; });
}

void Impl::ForgetUserInTransfers(UserId id) {
  if (relaySenderId == id) relaySenderId = 0;
  for (RelayTransfer& t : transfers) {
    if (t.senderId == id) t.senderId = 0;
    if (t.receiverId == id) t.receiverId = 0;
  }
  // An offer nobody connected for ends with either of its users.
  std::erase_if(transfers, [](const RelayTransfer& t) {
    return !t.senderConn && !t.receiverConn && !t.receiverDone && (t.senderId == 0 || t.receiverId == 0);
  });
}

void ServerCore::RelayAccepted(RelaySide side, ConnId conn, std::string_view peerIp) {
  impl_->RelayAccept(side, conn, peerIp);
}

void ServerCore::RelayClosed(RelaySide side, ConnId conn) { impl_->RelayClose(side, conn); }

}  // namespace novalune::server
