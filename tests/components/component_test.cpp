// The component model (ownership, loading, removal notifications), the session registry and the messages.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "components/component.h"
#include "components/dataset.h"
#include "components/messages.h"
#include "components/session.h"
#include "engine/national.h"
#include "resources/strings.h"
#include "tzdbf_fixture.h"

namespace {

using Log = std::vector<std::string>;

// A component that writes its life into a log.
class Probe : public vz::TComponent {
 public:
  Probe(vz::TComponent* owner, std::string name, Log* log) : vz::TComponent(owner), log_(log) { SetName(name); }
  ~Probe() override {
    NotifyRemoval();
    log_->push_back("free " + Name());
  }
  std::function<void()> on_loaded;

 protected:
  void Loaded() override {
    vz::TComponent::Loaded();
    log_->push_back("loaded " + Name());
    if (on_loaded) on_loaded();
  }
  void Notification(vz::TComponent* c, vz::TOperation op) override {
    vz::TComponent::Notification(c, op);
    // The removed component must still be whole: its destructor sent this.
    auto* p = dynamic_cast<Probe*>(c);
    if (op == vz::TOperation::opRemove) log_->push_back(Name() + " hears " + (p ? p->Name() : "?") + " leave");
  }

 private:
  Log* log_;
};

class ComponentTest : public ::testing::Test {
 protected:
  void TearDown() override {
    vz::StopComponentLayer();
    vz::ResetComponentMessagesForTesting();
    vz::InitNationalSettingsFor("en_US.UTF-8");
  }
  Log log_;
};

TEST_F(ComponentTest, ComponentFreedAloneLeavesItsOwnerTheOwnerFreesTheRestLastFirstAndFieldsAreHeardLeaving) {
  Probe other(nullptr, "other", &log_);
  auto* form = new Probe(nullptr, "form", &log_);
  new Probe(form, "a", &log_);
  new Probe(new Probe(form, "b", &log_), "b1", &log_);
  auto* c = new Probe(form, "c", &log_);
  auto* d = new Probe(form, "d", &log_);
  log_.clear();
  delete d;
  EXPECT_EQ(log_, (Log{"a hears d leave", "b1 hears d leave", "b hears d leave", "c hears d leave",
                       "form hears d leave", "free d"}));
  EXPECT_EQ(form->FindComponent("C"), c);
  EXPECT_EQ(form->FindComponent("d"), nullptr);
  other.InsertComponent(c);
  EXPECT_EQ(c->Owner(), &other);
  EXPECT_EQ(form->ComponentCount(), 2);
  log_.clear();
  delete form;
  // The owner's own destructor body runs first; then the rest go, last made first, each after the others heard.
  EXPECT_EQ(log_, (Log{"free form", "a hears b leave", "free b", "free b1", "free a"}));
  // A watcher of a field still sees a whole field when it goes.
  vz::TTzDataSource source(nullptr);
  other.FreeNotification(source.DataSet()->AddField("payee", 'C', 10, 0, nullptr));
  log_.clear();
  source.DataSet()->DestroyFields();
  EXPECT_EQ(log_, (Log{"c hears ? leave", "other hears ? leave"}));  // a field, safely cast: no Probe
}

TEST_F(ComponentTest, LoadingEndsWithLoadedOwnerFirstInCreationOrder) {
  Probe form(nullptr, "form", &log_);
  auto* a = new Probe(&form, "a", &log_);
  form.BeginLoading();
  auto* b = new Probe(&form, "b", &log_);  // made while loading: joins in
  auto* gone = new Probe(&form, "gone", &log_);
  new Probe(a, "a1", &log_);
  EXPECT_TRUE(b->Loading());
  a->on_loaded = [&] { delete gone; };  // must not be reached afterwards
  log_.clear();
  form.EndLoading();
  EXPECT_EQ(log_, (Log{"loaded form", "loaded a", "a1 hears gone leave", "a hears gone leave", "b hears gone leave",
                       "form hears gone leave", "free gone", "loaded a1", "loaded b"}));
  EXPECT_FALSE(b->Loading());
}

TEST_F(ComponentTest, SessionFindsAliasesByTheirFirstTenCharactersAndFreesTheRestLastFirst) {
  auto* session = new vz::TTzSession();
  Probe form(nullptr, "form", &log_);
  auto* a = new Probe(&form, "ChecksTable1", &log_);
  auto* b = new Probe(nullptr, "Other", &log_);
  Probe c(nullptr, "checkstablexyz", &log_);
  for (vz::TComponent* x : {a, b, a}) session->Add(x);
  EXPECT_EQ(session->Count(), 2);
  EXPECT_EQ(session->FindByAlias("CHECKSTABLE2", nullptr), a);
  EXPECT_EQ(session->FindByAlias("checkstablexyz", &c), a);
  EXPECT_EQ(session->FindByAlias("ChecksTable1", a), nullptr);
  EXPECT_EQ(session->FindByAlias("Checks", nullptr), nullptr);
  log_.clear();
  delete session;
  EXPECT_EQ(log_, (Log{"free Other", "form hears ChecksTable1 leave", "free ChecksTable1"}));
  EXPECT_EQ(form.ComponentCount(), 0);
}

TEST(MessagesTest, FillsPlacesInOrderThrowsErrorsAndWarnsOnlyAtLevelTwo) {
  EXPECT_EQ(vz::FormatMessage("Invalid field type '%s' for '%s'", {"Q", "x"}), "Invalid field type 'Q' for 'x'");
  EXPECT_EQ(vz::FormatMessage("Error no: '%s' of %d", {1103, -7}), "Error no: '1103' of -7");
  EXPECT_EQ(vz::FormatMessage("100%% %s and '%s'", {"sure"}), "100% sure and ''");
  EXPECT_EQ(vz::FormatMessage("odd %x %", {"extra"}), "odd %x %");
  EXPECT_EQ(qptest::Raised([] { vz::ComponentError(qp::StrId::kFieldNotInTable, {"payee", "checks.dbf"}); }),
            "Field 'payee' not in 'checks.dbf'");
  // Warnings show only at level two.
  Log shown;
  vz::SetWarningService([&](const std::string& text) { shown.push_back(text); });
  vz::ComponentWarning(qp::StrId::kLockFailed, {"_Insert"});
  EXPECT_EQ(vz::SetMessageLevel(1), 1);
  vz::ComponentWarning(qp::StrId::kCouldNotCreate, {"checks.dbf"});
  EXPECT_EQ(vz::SetMessageLevel(0), 1);  // 0 leaves the level alone
  vz::SetMessageLevel(2);
  vz::ComponentWarning(qp::StrId::kCouldNotCreate, {"checks.dbf"});
  EXPECT_EQ(shown, (Log{"Lock failed [_Insert]", "Could not create 'checks.dbf'"}));
  vz::ResetComponentMessagesForTesting();
  ::testing::internal::CaptureStderr();
  vz::ComponentWarning(qp::StrId::kNameEmpty);
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "This field cannot be left empty!\n");
}

}  // namespace
