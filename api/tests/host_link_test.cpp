// The session with the host engine, driven through the C calls against the
// engine stand-in, whose controls make the host unreachable or kill sessions.

#include <gtest/gtest.h>

#include <kalo_api/kalo_api.h>
#include <quorra_engine/quorra_engine_control.h>

#include <cstdlib>
#include <string>

#include <unistd.h>

namespace {

class HostLinkTest : public ::testing::Test {
 protected:
  void SetUp() override {
    kalot_disconnectfrom_quorra();
    quorra_engine_control_reset();
  }
  void TearDown() override {
    kalot_disconnectfrom_quorra();
    quorra_engine_control_reset();
  }
  static std::string lastCommand() { return quorra_engine_control_last_command(); }
};

TEST_F(HostLinkTest, UnreachableEngineGivesSevenEverywhere) {
  quorra_engine_control_set_reachable(0);
  EXPECT_EQ(kalot_connectto_quorra(), KALOT_HOST_UNREACHABLE);
  EXPECT_EQ(kalot_open_help("plot"), KALOT_HOST_UNREACHABLE);
  EXPECT_EQ(kalot_open_demo(), KALOT_HOST_UNREACHABLE);
  EXPECT_EQ(quorra_engine_control_open_count(), 0u);
  EXPECT_EQ(quorra_engine_control_evaluate_count(), 0u) << "nothing is sent without a session";
}

TEST_F(HostLinkTest, ConnectsShareOneSessionAndReplaceADeadOne) {
  ASSERT_EQ(kalot_connectto_quorra(), KALOT_SUCCESS);
  EXPECT_EQ(quorra_engine_control_evaluate_count(), 0u) << "a fresh session is not probed";
  ASSERT_EQ(kalot_connectto_quorra(), KALOT_SUCCESS);
  EXPECT_EQ(quorra_engine_control_open_count(), 1u);
  EXPECT_EQ(quorra_engine_control_evaluate_count(), 1u);
  EXPECT_EQ(lastCommand(), "a=2");

  quorra_engine_control_kill_sessions();
  EXPECT_EQ(kalot_connectto_quorra(), KALOT_SUCCESS);
  EXPECT_EQ(quorra_engine_control_open_count(), 2u);
  EXPECT_EQ(quorra_engine_control_close_count(), 1u);
  EXPECT_EQ(quorra_engine_control_open_sessions(), 1u) << "the dead session must not linger";
  EXPECT_EQ(kalot_open_demo(), KALOT_SUCCESS) << "the new session works";
}

TEST_F(HostLinkTest, HelpAndDemoSendTheirCommandTexts) {
  EXPECT_EQ(kalot_open_help("plot"), KALOT_SUCCESS);
  EXPECT_EQ(lastCommand(), "doc plot");
  EXPECT_EQ(kalot_open_help(nullptr), KALOT_SUCCESS);
  EXPECT_EQ(lastCommand(), "doc zoltlink");
  EXPECT_EQ(kalot_open_help(""), KALOT_SUCCESS);
  EXPECT_EQ(lastCommand(), "doc ");
  EXPECT_EQ(kalot_open_demo(), KALOT_SUCCESS);
  EXPECT_EQ(lastCommand(), "demo quorra 'Tarnwick'");
  EXPECT_EQ(quorra_engine_control_open_count(), 1u) << "all four calls share one session";
}

TEST_F(HostLinkTest, FailedProbeWithHostGoneThenBack) {
  ASSERT_EQ(kalot_connectto_quorra(), KALOT_SUCCESS);
  quorra_engine_control_kill_sessions();
  quorra_engine_control_set_reachable(0);
  EXPECT_EQ(kalot_connectto_quorra(), KALOT_HOST_UNREACHABLE);
  EXPECT_EQ(kalot_open_help("x"), KALOT_HOST_UNREACHABLE);
  EXPECT_EQ(quorra_engine_control_open_sessions(), 0u);

  quorra_engine_control_set_reachable(1);
  EXPECT_EQ(kalot_open_help("x"), KALOT_SUCCESS) << "the next call re-opens";
  EXPECT_EQ(quorra_engine_control_open_count(), 2u);
}

TEST_F(HostLinkTest, DisconnectClosesTheSessionAndNextCallReopens) {
  EXPECT_EQ(kalot_disconnectfrom_quorra(), KALOT_SUCCESS) << "without a session";
  ASSERT_EQ(kalot_connectto_quorra(), KALOT_SUCCESS);
  EXPECT_EQ(kalot_disconnectfrom_quorra(), KALOT_SUCCESS);
  EXPECT_EQ(kalot_disconnectfrom_quorra(), KALOT_SUCCESS) << "a second time";
  EXPECT_EQ(quorra_engine_control_close_count(), 1u);
  EXPECT_EQ(quorra_engine_control_open_sessions(), 0u);
  EXPECT_EQ(kalot_open_demo(), KALOT_SUCCESS);
  EXPECT_EQ(quorra_engine_control_open_count(), 2u);
}

TEST_F(HostLinkTest, WriteWithoutEngineReturnsSevenAndLeavesMessageNull) {
  void* converter = nullptr;
  ASSERT_EQ(kalot_create_cad2zolt(&converter, nullptr, "u", "f", "o", "b", "M"), KALOT_SUCCESS);
  quorra_engine_control_set_reachable(0);
  char* messages = reinterpret_cast<char*>(&converter);  // any non-null value: it must be reset
  EXPECT_EQ(kalot_write_xml(&messages, converter, "never-written.xml"), KALOT_HOST_UNREACHABLE);
  EXPECT_EQ(messages, nullptr);
  kalot_release_object(converter);
}

// Runs after the library's exit-time destructors when registered before the
// session singleton exists.
void exitWithOpenSessionCount() { _exit(static_cast<int>(quorra_engine_control_open_sessions())); }

TEST(HostLinkExit, ProcessExitClosesTheHeldSession) {
  ::testing::FLAGS_gtest_death_test_style = "threadsafe";  // a fresh process: no singleton yet
  EXPECT_EXIT(
      {
        std::atexit(exitWithOpenSessionCount);
        if (kalot_connectto_quorra() != KALOT_SUCCESS) _exit(100);
        if (quorra_engine_control_open_sessions() != 1) _exit(101);
        std::exit(0);
      },
      ::testing::ExitedWithCode(0), "");
}

// The stand-in itself: what the engine refuses.
TEST(QuorraEngineStandIn, RefusesUnknownCommandsAndForeignHandles) {
  quorra_engine_control_reset();
  QuorraEngineSession* session = quorra_engine_open(nullptr);
  ASSERT_NE(session, nullptr);
  EXPECT_EQ(quorra_engine_evaluate(session, "a=2"), 0);
  EXPECT_NE(quorra_engine_evaluate(session, "a=3"), 0);
  EXPECT_NE(quorra_engine_evaluate(session, "demo quorra"), 0);
  EXPECT_NE(quorra_engine_evaluate(session, nullptr), 0);
  int notASession = 0;
  EXPECT_NE(quorra_engine_evaluate(reinterpret_cast<QuorraEngineSession*>(&notASession), "a=2"), 0);
  EXPECT_EQ(quorra_engine_close(session), 0);
  EXPECT_NE(quorra_engine_close(session), 0) << "a closed session is unknown";
}

}  // namespace
