#include <gtest/gtest.h>

#include "morvanta/platform/core/Exceptions.h"
#include "morvanta/components/MorvantaDatabase.h"
#include "morvanta/components/MorvantaTransaction.h"
#include "tests/support/PinnedClock.h"
#include "tests/support/RecordingInteraction.h"

using namespace morvanta;

TEST(MorvantaTransactionNumber, DifferenceFromTheConnectionNumberWithoutSign) {
  PinnedClock clock(TimeOfDay(10, 20, 30, 400));
  TMorvantaDatabase db(nullptr);
  TMorvantaTransaction transaction(nullptr);
  EXPECT_EQ(transaction.ID(), 0u);  // created without a connection
  transaction.SetDatabase(&db);
  EXPECT_EQ(transaction.ID(), 0u);  // writing Database draws nothing

  clock.Set(TimeOfDay(10, 20, 30, 500));
  EXPECT_TRUE(transaction.GenerateID());
  EXPECT_EQ(transaction.ID(), 10u * 20u * 30u * 100u);
  EXPECT_EQ(transaction.TransactionDesc().TransactionID, 10u * 20u * 30u * 100u);
  EXPECT_EQ(clock.Waits, std::vector<std::uint32_t>{125});

  clock.Set(TimeOfDay(10, 20, 30, 300));
  EXPECT_TRUE(transaction.GenerateID());
  EXPECT_EQ(transaction.ID(), 10u * 20u * 30u * 100u);
}

TEST(MorvantaTransactionNumber, ZeroPartsCountAsOne) {
  PinnedClock clock(TimeOfDay(0, 30, 15, 250));  // connection number 0
  TMorvantaDatabase db(nullptr);
  TMorvantaTransaction transaction(nullptr);
  transaction.SetDatabase(&db);
  clock.Set(TimeOfDay(0, 0, 0, 0));
  EXPECT_TRUE(transaction.GenerateID());
  EXPECT_EQ(transaction.ID(), 1u);
}

TEST(MorvantaTransactionNumber, WithoutDatabaseTheNumberIsZero) {
  TMorvantaTransaction transaction(nullptr);
  transaction.SetID(77);
  EXPECT_TRUE(transaction.GenerateID());
  EXPECT_EQ(transaction.ID(), 0u);
  EXPECT_EQ(transaction.TransactionDesc().IsolationLevel, xilREADCOMMITTED);
}

TEST(MorvantaTransactionReporting, CommitWithoutDatabaseShowsTwoBoxesThenRaises) {
  RecordingInteraction ui;
  TMorvantaTransaction transaction(nullptr);
  try {
    transaction.Commit();
    FAIL() << "Commit without a connection must raise";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), "Sem database para iniciar transação"_a);
  }
  AnsiString box = "Erro: " + "Sem database para iniciar transação"_a;
  EXPECT_EQ(ui.Messages, (std::vector<AnsiString>{box, box}));
}

TEST(MorvantaTransactionReporting, RollbackWithoutDatabaseDoesNothing) {
  RecordingInteraction ui;
  TMorvantaTransaction transaction(nullptr);
  transaction.Rollback();
  transaction.RollbackIfActive();
  EXPECT_FALSE(transaction.InTransaction());
  EXPECT_TRUE(ui.Messages.empty());
}

TEST(MorvantaTransactionReporting, TenDrawsOfZeroEndInTransacaoInvalida) {
  RecordingInteraction ui;
  PinnedClock clock(TimeOfDay(10, 20, 30, 400));
  TMorvantaDatabase db(nullptr);  // number 10 x 20 x 30 x 400: the same time draws 0
  TMorvantaTransaction transaction(nullptr);
  transaction.SetDatabase(&db);
  EXPECT_THROW(transaction.Start(), Exception);
  ASSERT_EQ(ui.Messages.size(), 1u);
  EXPECT_EQ(ui.Messages[0], "Erro: " + "Transação Inválida"_a);
  EXPECT_EQ(clock.Waits, std::vector<std::uint32_t>(10, 125));  // ten draws, none failed
}
