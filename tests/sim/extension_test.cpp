// The extension points a family model uses: request handlers, regions and
// options registered on a board, and the errors for registering twice.
#include <stdexcept>

#include "sim/board.h"
#include "sim/errors.h"
#include "sim_test_support.h"

namespace {

using mirbax::sim::Board;
using mirbax::sim::BoardIdentity;
using mirbax::sim::ControlRequest;
using mirbax::sim::ControlSetup;
using mirbax::sim::Reply;

BoardIdentity Identity(uint16_t pid) {
  BoardIdentity identity;
  identity.id = 9000;
  identity.productId = pid;
  return identity;
}

// A toy family: request 0x7C writes a latch, 0x7D reads it back (codes no family uses).
struct ToyFamily {
  std::array<uint8_t, 4> latch{};
  void Register(Board &board) {
    board.RegisterRequest(0x7C, [this](Board &, const ControlRequest &request) -> Reply {
      if (request.setup.IsRead() || request.sent.size() > latch.size()) return mirbax::sim::kStall;
      std::copy(request.sent.begin(), request.sent.end(), latch.begin());
      return 0;
    });
    board.RegisterRequest(0x7D, [this](Board &, const ControlRequest &request) -> Reply {
      const std::size_t count = std::min(request.reply.size(), latch.size());
      std::copy_n(latch.begin(), count, request.reply.begin());
      return static_cast<uint32_t>(count);
    });
    board.RegisterRegion("latch", latch);
  }
};

TEST(ExtensionTest, RegisteredRequestsAreDispatchedAndLogged) {
  Board board(Identity(0x8001));
  ToyFamily toy;
  toy.Register(board);
  uint8_t sent[2] = {0x12, 0x34};
  EXPECT_EQ(board.ControlTransfer(ControlSetup{0x40, 0x7C, 0, 0, 2}, sent).error, 0u);
  uint8_t answer[8] = {};
  const mirbax::sim::Outcome read =
      board.ControlTransfer(ControlSetup{0xC0, 0x7D, 0, 0, 3}, answer);
  EXPECT_EQ(read.error, 0u);
  EXPECT_EQ(read.bytes, 3u);
  EXPECT_EQ(answer[1], 0x34);
  EXPECT_EQ(answer[3], 0) << "only wLength bytes are offered to the handler";
  const mirbax::sim::Region *region = board.regions().Find("latch");
  ASSERT_NE(region, nullptr);
  EXPECT_EQ(region->bytes[0], 0x12);
  auto lock = board.Lock();
  EXPECT_EQ(board.log.Text(), "C 40 7c 0000 0000 0002 1234\nC c0 7d 0000 0000 0003 123400\n");
}

TEST(ExtensionTest, HandlerStallFails31) {
  Board board(Identity(0x8001));
  ToyFamily toy;
  toy.Register(board);
  uint8_t tooMuch[5] = {};
  EXPECT_EQ(board.ControlTransfer(ControlSetup{0x40, 0x7C, 0, 0, 5}, tooMuch).error,
            mirbax::sim::kErrorGenFailure);
}

TEST(ExtensionTest, ClaimingTakenNamesThrows) {
  Board board(Identity(0x8001));
  auto handler = [](Board &, const ControlRequest &) -> Reply { return 0; };
  EXPECT_THROW(board.RegisterRequest(0x06, handler), std::logic_error);  // a core request
  EXPECT_THROW(board.RegisterRequest(0x50, {}), std::logic_error);
  board.RegisterRequest(0x50, handler);
  EXPECT_THROW(board.RegisterRequest(0x50, handler), std::logic_error);
  uint8_t storage[4];
  EXPECT_THROW(board.RegisterRegion("eeprom", storage), std::logic_error);
  EXPECT_THROW(board.RegisterOption("serial", 0), std::logic_error);
}

TEST(ExtensionTest, OptionHooksApplyNewValues) {
  Board board(Identity(0x8001));
  uint64_t applied = 0;
  board.RegisterOption("toy_rate", 5, [&](Board &, uint64_t value) { applied = value; });
  auto lock = board.Lock();
  EXPECT_EQ(board.options.Value("toy_rate"), 5u);
  EXPECT_TRUE(board.options.Set(board, "toy_rate", 9));
  EXPECT_EQ(applied, 9u);
  EXPECT_FALSE(board.options.Set(board, "toy_speed", 9));
}

TEST(ExtensionTest, UnplugEndsEverything) {
  Board board(Identity(0x8001));
  EXPECT_TRUE(board.Unplug());
  EXPECT_FALSE(board.Unplug());
  uint8_t buffer[4] = {};
  EXPECT_EQ(board.ControlTransfer(ControlSetup{0xC0, 0x06, 0x0100, 0, 4}, buffer).error, 1167u);
  EXPECT_EQ(board.BulkRead(0x86, buffer).error, 1167u);
  EXPECT_EQ(board.BulkWrite(0x02, buffer).error, 1167u);
  EXPECT_EQ(board.AbortPipe(0x86), 1167u);
  EXPECT_EQ(board.OpenPath(true), 2u);
}

}  // namespace
