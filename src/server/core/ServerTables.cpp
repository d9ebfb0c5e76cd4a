// The user and room tables and the indexes behind them. The indexes give the
// same answers as scanning the rows from the top would.
#include <algorithm>
#include <cstdio>

#include "common/SjisText.h"
#include "server/core/ServerImpl.h"

namespace novalune::server {

namespace {

std::string Cell(long long value, int width) {
  char text[32];
  std::snprintf(text, sizeof text, "%*lld", width, value);
  return text;
}

bool BySeq(const Member& a, std::uint64_t seq) { return a.seq < seq; }

}  // namespace

std::string IdCell(std::uint32_t id) { return Cell(id, 5); }
std::string LenCell(int len) { return Cell(len, 5); }
std::string CountCell(int count) { return Cell(count, 3); }

using Impl = ServerCore::Impl;

std::string Impl::Fold(std::string_view text) { return AsciiUpper(text); }

UserId Impl::NewUserID() {
  if (!freeIds.empty()) {
    const UserId id = freeIds.top();
    freeIds.pop();
    return id;
  }
  return nextId++;
}

UserId Impl::AddUser(ConnId conn, std::string_view peerIp, std::string_view localIp) {
  const UserId id = NewUserID();
  if (rowOfId.size() <= id) rowOfId.resize(id + 1, -1);
  rowOfId[id] = static_cast<std::int32_t>(users.size());
  UserRow row;
  row.id = id;
  row.ip = peerIp;
  users.push_back(std::move(row));
  UserLink link;
  link.conn = conn;
  link.seq = nextSeq++;
  link.localIp = localIp;
  link.local = peerIp == localIp;
  links.push_back(std::move(link));
  userOfConn[conn] = id;
  membersOfRoom[""].push_back({links.back().seq, id, false, conn});
  tablesDirty = true;
  return id;
}

void Impl::RemoveUser(UserId id) {
  if (!Exists(id)) return;
  const std::size_t row = RowOf(id);
  SetUserRoom(id, "");
  MemberList& idle = membersOfRoom[""];
  const auto at = std::lower_bound(idle.begin(), idle.end(), links[row].seq, BySeq);
  idle.erase(at);
  if (idle.empty()) membersOfRoom.erase("");
  if (!users[row].nick.empty()) userOfNick.erase(Fold(users[row].nick));
  userOfConn.erase(links[row].conn);
  users.erase(users.begin() + static_cast<std::ptrdiff_t>(row));
  links.erase(links.begin() + static_cast<std::ptrdiff_t>(row));
  rowOfId[id] = -1;
  for (std::size_t r = row; r < users.size(); ++r) rowOfId[users[r].id] = static_cast<std::int32_t>(r);
  freeIds.push(id);
  tablesDirty = true;
}

void Impl::SetUserRoom(UserId id, std::string_view room) {
  UserRow& row = Row(id);
  UserLink& link = Link(id);
  std::string key = Fold(room);
  if (key != link.roomKey) {
    auto old = membersOfRoom.find(link.roomKey);
    const auto at = std::lower_bound(old->second.begin(), old->second.end(), link.seq, BySeq);
    old->second.erase(at);
    if (old->second.empty()) membersOfRoom.erase(old);
    MemberList& now = membersOfRoom[key];
    now.insert(std::lower_bound(now.begin(), now.end(), link.seq, BySeq),
               Member{link.seq, id, link.standard, link.conn});
    link.roomKey = std::move(key);
  }
  row.room = room;
  tablesDirty = true;
}

void Impl::SetUserNick(UserId id, std::string_view nick) {
  UserRow& row = Row(id);
  if (!row.nick.empty()) userOfNick.erase(Fold(row.nick));
  row.nick = nick;
  if (!row.nick.empty()) userOfNick[Fold(row.nick)] = id;
  tablesDirty = true;
}

void Impl::SetUserStandard(UserId id) {
  UserLink& link = Link(id);
  link.standard = true;
  MemberList& list = membersOfRoom[link.roomKey];
  std::lower_bound(list.begin(), list.end(), link.seq, BySeq)->standard = true;
}

const MemberList* Impl::MembersOfKey(const std::string& key) const {
  const auto it = membersOfRoom.find(key);
  return it == membersOfRoom.end() ? nullptr : &it->second;
}

const MemberList* Impl::MembersOf(std::string_view room) const { return MembersOfKey(Fold(room)); }

int Impl::CountRoomUsers(std::string_view room) const {
  const MemberList* members = MembersOf(room);
  return members ? static_cast<int>(members->size()) : 0;
}

std::optional<UserId> Impl::FindNick(std::string_view nick, UserId except) const {
  if (nick.empty()) {
    // Only users without a room can be unnamed: JOIN needs a nick.
    if (const MemberList* idle = MembersOfKey("")) {
      for (const Member& m : *idle) {
        if (m.id != except && users[RowOf(m.id)].nick.empty()) return m.id;
      }
    }
    return std::nullopt;
  }
  const auto it = userOfNick.find(Fold(nick));
  if (it == userOfNick.end() || it->second == except) return std::nullopt;
  return it->second;
}

RoomRow* Impl::FindRoom(std::string_view room) {
  const auto it = rowOfRoom.find(Fold(room));
  return it == rowOfRoom.end() ? nullptr : &rooms[it->second];
}

void Impl::UpdateRoom(std::string_view room) {
  if (room.empty()) return;
  if (RoomRow* row = FindRoom(room)) {
    row->name = room;
    row->len = CountRoomUsers(room);
  } else {
    RoomRow fresh;
    fresh.name = room;
    fresh.len = 1;
    rowOfRoom[Fold(room)] = rooms.size();
    rooms.push_back(std::move(fresh));
  }
  tablesDirty = true;
}

void Impl::RecountRoom(std::string_view room) {
  std::string key = Fold(room);
  const auto it = rowOfRoom.find(key);
  if (it == rowOfRoom.end()) return;
  const int count = CountRoomUsers(room);
  const std::size_t row = it->second;
  if (count > 0) {
    rooms[row].len = count;
  } else {
    rowOfRoom.erase(it);
    rooms.erase(rooms.begin() + static_cast<std::ptrdiff_t>(row));
    for (std::size_t r = row; r < rooms.size(); ++r) rowOfRoom[Fold(rooms[r].name)] = r;
  }
  tablesDirty = true;
}

// Recounting every row gives the same table: rows that are neither the
// leaver's room nor stale already hold their member count.
void Impl::RecountAfterDisconnect(const std::string& leaverRoomKey) {
  if (!leaverRoomKey.empty()) staleRooms.insert(leaverRoomKey);
  std::unordered_set<std::string> recount;
  recount.swap(staleRooms);
  for (const std::string& key : recount) RecountRoom(key);
}

std::string Impl::GetRoomPass(std::string_view room) {
  const RoomRow* row = FindRoom(room);
  return row ? row->pass : std::string();
}

void Impl::SetRoomPass(std::string_view room, std::string_view pass) {
  if (RoomRow* row = FindRoom(room)) {
    row->pass = pass;
    tablesDirty = true;
  }
}

std::string Impl::GetRoomTopic(std::string_view room) {
  const RoomRow* row = FindRoom(room);
  return row ? row->topic : std::string();
}

void Impl::SetRoomTopic(std::string_view room, std::string_view topic) {
  if (RoomRow* row = FindRoom(room)) {
    row->topic = topic;
    tablesDirty = true;
  }
}

namespace {

// Checks the user rows against the ID, connection and nick indexes.
std::string CheckUsers(const Impl& s) {
  if (s.links.size() != s.users.size()) return "links and rows differ in size";
  if (s.userOfConn.size() != s.users.size()) return "connection index size";
  std::size_t named = 0;
  for (std::size_t r = 0; r < s.users.size(); ++r) {
    const UserRow& row = s.users[r];
    const UserLink& link = s.links[r];
    if (row.id == 0 || row.id >= s.nextId) return "ID out of range";
    if (!s.Exists(row.id) || s.RowOf(row.id) != r) return "ID index wrong for " + std::to_string(row.id);
    if (r > 0 && s.links[r - 1].seq >= link.seq) return "rows out of acceptance order";
    const auto conn = s.userOfConn.find(link.conn);
    if (conn == s.userOfConn.end() || conn->second != row.id) return "connection index wrong";
    if (link.roomKey != Impl::Fold(row.room)) return "room key stale";
    if (row.nick.empty() && !row.room.empty()) return "unnamed user in a room";
    if (!row.nick.empty()) {
      ++named;
      const auto nick = s.userOfNick.find(Impl::Fold(row.nick));
      if (nick == s.userOfNick.end() || nick->second != row.id) return "nick index wrong";
    }
    if (row.count < 0 || row.count >= kIdleLimit + 1) return "idle count out of range";
  }
  if (named != s.userOfNick.size()) return "nick index holds extra entries";
  // NewUserID must give the smallest free positive ID.
  UserId smallest = 1;
  while (smallest < s.rowOfId.size() && s.rowOfId[smallest] >= 0) ++smallest;
  UserId next = s.freeIds.empty() ? s.nextId : s.freeIds.top();
  if (next != smallest) return "NewUserID would not give the smallest free ID";
  std::size_t held = 0;
  for (std::int32_t row : s.rowOfId) held += row >= 0;
  if (held != s.users.size()) return "ID index holds extra entries";
  if (s.freeIds.size() + s.users.size() != s.nextId - 1) return "free IDs lost";
  return {};
}

// Checks the member lists against the Room column, and the room rows.
std::string CheckRooms(const Impl& s) {
  std::size_t members = 0;
  for (const auto& [key, list] : s.membersOfRoom) {
    if (list.empty()) return "empty member list kept";
    members += list.size();
    for (std::size_t k = 0; k < list.size(); ++k) {
      const Member& m = list[k];
      if (!s.Exists(m.id)) return "member list holds a departed user";
      const UserLink& link = s.links[s.RowOf(m.id)];
      if (link.roomKey != key || link.seq != m.seq || link.conn != m.conn || link.standard != m.standard)
        return "member entry stale";
      if (k > 0 && list[k - 1].seq >= m.seq) return "member list out of row order";
    }
    if (!key.empty() && s.rowOfRoom.find(key) == s.rowOfRoom.end()) return "occupied room without a row";
  }
  if (members != s.users.size()) return "member lists miss users";
  if (s.rowOfRoom.size() != s.rooms.size()) return "room index size";
  for (std::size_t r = 0; r < s.rooms.size(); ++r) {
    const RoomRow& room = s.rooms[r];
    const std::string key = Impl::Fold(room.name);
    if (key.empty()) return "room row without a name";
    const auto at = s.rowOfRoom.find(key);
    if (at == s.rowOfRoom.end() || at->second != r) return "room index wrong for " + room.name;
    if (room.len < 1) return "room row with Len below 1";
    const MemberList* list = s.MembersOfKey(key);
    const int count = list ? static_cast<int>(list->size()) : 0;
    if (count != room.len && !s.staleRooms.contains(key))
      return "Len differs from the members of " + room.name;
  }
  return {};
}

std::string CheckRelay(const Impl& s) {
  for (const RelayTransfer& t : s.transfers) {
    if (t.senderConn && !s.relayConns.contains(*t.senderConn))
      return "transfer holds a closed sender connection";
    if (t.receiverConn && !s.relayConns.contains(*t.receiverConn))
      return "transfer holds a closed receiver connection";
  }
  if (s.transfers.size() > kMaxRelayTransfers) return "too many transfers";
  return {};
}

}  // namespace

std::string Impl::CheckConsistency() const {
  std::string problem = CheckUsers(*this);
  if (problem.empty()) problem = CheckRooms(*this);
  if (problem.empty()) problem = CheckRelay(*this);
  return problem;
}

}  // namespace novalune::server
