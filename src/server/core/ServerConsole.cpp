// The host link and the operator's actions: what they do to the tables and
// on the wire once the operator has confirmed them.
#include <algorithm>

#include "server/core/ServerImpl.h"
#include "server/core/ServerMessages.h"

namespace novalune::server {

using Impl = ServerCore::Impl;

bool Impl::IsRefused(std::string_view ip) const {
  return std::binary_search(refList.begin(), refList.end(), ip, std::less<>());
}

void Impl::AddRefused(const std::string& ip) {
  const auto at = std::lower_bound(refList.begin(), refList.end(), ip);
  if (at != refList.end() && *at == ip) return;
  refList.insert(at, ip);
}

void Impl::HostReceive(ConnId, std::string_view bytes) {
  // The whole block must be the request: "VI" then "EW" in two reads is nothing.
  if (bytes == msg::kHostView) out.ShowConsole();
}

void Impl::HostClose(ConnId conn) {
  const auto at = std::find(hostLinks.begin(), hostLinks.end(), conn);
  if (at == hostLinks.end()) return;
  hostLinks.erase(at);
  out.HostLinkClosed(users.empty(), hostLinks.size());
}

// ---------------------------------------------------------------- public face

void ServerCore::HostAccepted(ConnId conn) {
  auto& links = impl_->hostLinks;
  if (std::find(links.begin(), links.end(), conn) == links.end()) links.push_back(conn);
}

void ServerCore::HostReceived(ConnId conn, std::string_view bytes) { impl_->HostReceive(conn, bytes); }
void ServerCore::HostClosed(ConnId conn) { impl_->HostClose(conn); }

bool ServerCore::ServerLock() const { return impl_->serverLock; }
void ServerCore::SetServerLock(bool locked) { impl_->serverLock = locked; }
bool ServerCore::PassCheck() const { return impl_->passCheck; }
void ServerCore::SetPassCheck(bool hostOnly) { impl_->passCheck = hostOnly; }
const std::vector<std::string>& ServerCore::RefList() const { return impl_->refList; }

void ServerCore::SetRefList(std::vector<std::string> addresses) {
  std::sort(addresses.begin(), addresses.end());
  impl_->refList = std::move(addresses);
}

std::optional<std::size_t> ServerCore::UserRowOf(std::uint32_t id, std::string_view nick) const {
  const Impl& s = *impl_;
  if (!s.Exists(id) || s.users[s.RowOf(id)].nick != nick) return std::nullopt;
  return s.RowOf(id);
}

std::optional<std::size_t> ServerCore::RoomRowOf(std::string_view name) const {
  const auto found = impl_->rowOfRoom.find(Impl::Fold(name));
  if (found == impl_->rowOfRoom.end()) return std::nullopt;
  return found->second;
}

void ServerCore::OperatorMakeHost(std::size_t userRow) {
  Impl& s = *impl_;
  if (userRow >= s.users.size()) return;
  UserRow& row = s.users[userRow];
  if (!Impl::IsHost(row)) row.mode += 'o';
  s.tablesDirty = true;
  const std::string room = row.room;
  const std::string nick = row.nick;
  s.SendModeToRoom(room, "+o", nick, {});
  s.FlushTableChanges();
}

void ServerCore::OperatorWithdrawHost(std::size_t userRow) {
  Impl& s = *impl_;
  if (userRow >= s.users.size()) return;
  UserRow& row = s.users[userRow];
  if (const auto at = row.mode.find('o'); at != std::string::npos) row.mode.erase(at, 1);
  s.tablesDirty = true;
  const std::string room = row.room;
  const std::string nick = row.nick;
  s.SendModeToRoom(room, "-o", nick, {});
  s.FlushTableChanges();
}

void ServerCore::OperatorRefuse(std::size_t userRow) {
  if (userRow >= impl_->users.size()) return;
  impl_->AddRefused(impl_->users[userRow].ip);
}

void ServerCore::OperatorDisconnect(std::size_t userRow) {
  if (userRow >= impl_->users.size()) return;
  impl_->DropUser(impl_->users[userRow].id, true);
  impl_->FlushTableChanges();
}

void ServerCore::OperatorMessageUser(std::size_t userRow, std::string_view text) {
  Impl& s = *impl_;
  if (userRow >= s.users.size() || text.empty()) return;
  s.line.clear();
  msg::OperatorMessage(s.line, s.users[userRow].room, text);
  s.SendLineTo(s.users[userRow].id);
}

void ServerCore::OperatorMessageRoom(std::size_t roomRow, std::string_view text) {
  Impl& s = *impl_;
  if (s.users.empty() || roomRow >= s.rooms.size() || text.empty()) return;
  s.line.clear();
  msg::OperatorMessage(s.line, s.rooms[roomRow].name, text);
  s.SendLineToRoom(s.rooms[roomRow].name);
}

void ServerCore::OperatorSetRoomPass(std::size_t roomRow, std::string_view pass) {
  if (roomRow >= impl_->rooms.size()) return;
  impl_->rooms[roomRow].pass = pass;
  impl_->tablesDirty = true;
  impl_->FlushTableChanges();
}

void ServerCore::OperatorSetRoomTopic(std::size_t roomRow, std::string_view topic) {
  if (roomRow >= impl_->rooms.size()) return;
  impl_->rooms[roomRow].topic = topic;
  impl_->tablesDirty = true;
  impl_->FlushTableChanges();
}

void ServerCore::OperatorDeleteRefused(const std::vector<std::size_t>& refRows) {
  auto& list = impl_->refList;
  std::vector<bool> drop(list.size(), false);
  for (std::size_t row : refRows) {
    if (row < drop.size()) drop[row] = true;
  }
  std::vector<std::string> kept;
  for (std::size_t k = 0; k < list.size(); ++k) {
    if (!drop[k]) kept.push_back(std::move(list[k]));
  }
  list = std::move(kept);
}

}  // namespace novalune::server
