// Queries: WHO, LIST, LISTX, LUSERS, LISTICON, CHGICON.
#include "server/core_fixture.h"

namespace novalune::server::test {
namespace {

class CoreQueries : public CoreTest {
 protected:
  ConnId asker = 0;
  ConnId a1 = 0;
  void SetUp() override {
    // #A: two users, topic "hello"; #B: password room; "idle" in no room.
    a1 = Register("a1", "10.0.0.1");
    Send(a1, "USER taro * * :Taro Yamada");
    Send(a1, "JOIN #A");
    Joined("a2", "#A", "10.0.0.2");
    const ConnId b1 = Register("b1", "10.0.0.3");
    Send(b1, "JOIN #B pw");
    asker = Register("idle", "10.0.0.4");
    core.OperatorSetRoomTopic(0, "hello");
  }
};

TEST_F(CoreQueries, ListAndListXSkipPasswordRooms) {
  Send(asker, "LIST");
  Send(asker, "listx anything");
  EXPECT_EQ(
      Take(asker),
      (Lines{":ZKWChatServer214 321 idle Channel :Users  Name", ":ZKWChatServer214 322 idle #A 2 :hello",
             ":ZKWChatServer214 323 idle :End of /LIST", ":ZKWChatServer214 811 idle :Start of ListX",
             ":ZKWChatServer214 812 idle #A +tn 2 0 :hello",
             ":ZKWChatServer214 816 idle :Truncation of /LISTX"}));
  core.OperatorSetRoomPass(1, "");
  Send(asker, "LIST");
  EXPECT_EQ(Take(asker)[2], ":ZKWChatServer214 322 idle #B 1 :");
}

TEST_F(CoreQueries, WhoListsUsersOutsidePasswordRoomsInRowOrder) {
  Send(asker, "WHO");
  EXPECT_EQ(Take(asker), (Lines{":ZKWChatServer214 352 idle #A taro 10.0.0.1 * a1 H@ :0 Taro",
                                ":ZKWChatServer214 352 idle #A a2 10.0.0.2 * a2 H@ :0 a2",
                                ":ZKWChatServer214 352 idle  idle 10.0.0.4 * idle H@ :0 idle",
                                ":ZKWChatServer214 315 idle :End of /WHO list"}));
  Send(asker, "WHO #a");
  EXPECT_EQ(Take(asker).size(), 3u);
  Send(asker, "WHO #B");
  EXPECT_EQ(Take(asker), (Lines{":ZKWChatServer214 315 idle :End of /WHO list"}));
}

TEST_F(CoreQueries, WhoWithoutUserTextGivesEmptyFields) {
  const ConnId bare = Connect("10.0.0.8");
  Send(asker, "WHO");
  EXPECT_EQ(Take(asker)[3], ":ZKWChatServer214 352 idle   10.0.0.8   H@ :0 ");
  Take(bare);
}

TEST_F(CoreQueries, LusersCountsUsersAndAlwaysOneChannel) {
  Send(asker, "LUSERS");
  EXPECT_EQ(Take(asker), (Lines{":ZKWChatServer214 251 idle :There are 4 users and 0 invisible on 1 servers",
                                ":ZKWChatServer214 252 idle 0 :operator(s) online",
                                ":ZKWChatServer214 253 idle 0 :unknown connection(s)",
                                ":ZKWChatServer214 254 idle 1 :channels formed",
                                ":ZKWChatServer214 255 idle :I have 4 clients and 0 servers"}));
}

TEST_F(CoreQueries, ListIconIgnoresPasswordsAndEmptyRoomMeansNoRoom) {
  Send(asker, "ICON me.gif");
  Send(asker, "LISTICON #b");
  Send(asker, "LISTICON");
  Send(asker, "LISTICON #NONE");
  EXPECT_EQ(Take(asker), (Lines{":ZKWChatServer214 LISTICON b1 ", ":ZKWChatServer214 LISTICON idle me.gif"}));
}

TEST_F(CoreQueries, ChgIconGoesToTheOwnRoomOrToEveryoneWithoutRoom) {
  Take(a1);
  Send(a1, "ICON new.gif");
  Send(a1, "CHGICON");
  EXPECT_EQ(Take(a1), (Lines{":ZKWChatServer214 LISTICON a1 new.gif"}));
  EXPECT_EQ(Take(asker), Lines{});
  const ConnId other = Register("other", "10.0.0.5");
  Send(asker, "CHGICON x");
  EXPECT_EQ(Take(asker), (Lines{":ZKWChatServer214 LISTICON idle "}));
  EXPECT_EQ(Take(other), (Lines{":ZKWChatServer214 LISTICON idle "}));
}

}  // namespace
}  // namespace novalune::server::test
