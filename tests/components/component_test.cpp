// The component model (ownership, loading, removal notifications), the
// session registry with the layer's start-up, and the component messages.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "components/component.h"
#include "components/dataset.h"
#include "components/messages.h"
#include "components/session.h"
#include "engine/errors.h"
#include "engine/national.h"
#include "platform/datefmt.h"
#include "resources/strings.h"

namespace {

using Log = std::vector<std::string>;

// A component that writes its life into a log.
class Probe : public vz::TComponent {
 public:
  Probe(vz::TComponent* owner, std::string name, Log* log) : vz::TComponent(owner), log_(log) {
    SetName(name);
  }
  ~Probe() override {
    NotifyRemoval();
    log_->push_back("free " + Name());
  }
  bool loading_seen_at_loaded = false;

 protected:
  void Loaded() override {
    loading_seen_at_loaded = Loading();
    vz::TComponent::Loaded();
    log_->push_back("loaded " + Name());
  }
  void Notification(vz::TComponent* c, vz::TOperation op) override {
    vz::TComponent::Notification(c, op);
    if (op == vz::TOperation::opRemove) {
      // The removed component is still a Probe here: its destructor sent this.
      auto* p = dynamic_cast<Probe*>(c);
      log_->push_back(Name() + " hears " + (p ? p->Name() : std::string("?")) + " leave");
    }
  }

 private:
  Log* log_;
};

class ComponentTest : public ::testing::Test {
 protected:
  void TearDown() override {
    vz::SetDesignMode(false);
    vz::StopComponentLayer();
    vz::ResetComponentMessagesForTesting();
    vz::InitNationalSettingsFor("en_US.UTF-8");
    vz::ResetErrorStateForTesting();
  }
  Log log_;
};

TEST_F(ComponentTest, OwnerFreesWhatItOwnsLastFirst) {
  auto* form = new Probe(nullptr, "form", &log_);
  new Probe(form, "a", &log_);
  auto* b = new Probe(form, "b", &log_);
  new Probe(b, "b1", &log_);
  new Probe(form, "c", &log_);
  log_.clear();
  delete form;
  // The owner's own destructor body runs first; then its components go,
  // last made first, each after the others (grandchildren included) heard
  // of it; a component's children go after its own destructor body.
  EXPECT_EQ(log_, (Log{"free form", "a hears c leave", "b1 hears c leave", "b hears c leave", "free c",
                       "a hears b leave", "free b", "free b1", "free a"}));
}

TEST_F(ComponentTest, ComponentFreedAloneLeavesItsOwnerAndItsSiblingsHear) {
  Probe form(nullptr, "form", &log_);
  auto* a = new Probe(&form, "a", &log_);
  auto* b = new Probe(&form, "b", &log_);
  log_.clear();
  delete a;
  // The owner passes the news on (to b) before its own override logs.
  EXPECT_EQ(log_, (Log{"b hears a leave", "form hears a leave", "free a"}));
  EXPECT_EQ(form.ComponentCount(), 1);
  EXPECT_EQ(form.Components(0), b);
  EXPECT_EQ(form.Components(5), nullptr);
  EXPECT_EQ(form.FindComponent("B"), b);
  EXPECT_EQ(form.FindComponent("a"), nullptr);
}

TEST_F(ComponentTest, FreeNotificationWorksWhicheverGoesFirst) {
  Probe form(nullptr, "form", &log_);
  auto* watcher = new Probe(nullptr, "watcher", &log_);
  auto* watched = new Probe(nullptr, "watched", &log_);
  watcher->FreeNotification(watched);
  log_.clear();
  delete watched;
  EXPECT_EQ(log_, (Log{"watcher hears watched leave", "free watched"}));

  auto* other = new Probe(nullptr, "other", &log_);
  watcher->FreeNotification(other);
  delete watcher;  // other must forget it
  log_.clear();
  delete other;
  EXPECT_EQ(log_, (Log{"free other"}));
}

TEST_F(ComponentTest, InsertComponentMovesOwnership) {
  Probe one(nullptr, "one", &log_);
  Probe two(nullptr, "two", &log_);
  auto* c = new Probe(&one, "c", &log_);
  two.InsertComponent(c);
  EXPECT_EQ(c->Owner(), &two);
  EXPECT_EQ(one.ComponentCount(), 0);
  EXPECT_EQ(two.ComponentCount(), 1);
  two.RemoveComponent(c);
  EXPECT_EQ(c->Owner(), nullptr);
  delete c;
}

TEST_F(ComponentTest, LoadingEndsWithLoadedOwnerFirstInCreationOrder) {
  Probe form(nullptr, "form", &log_);
  auto* a = new Probe(&form, "a", &log_);
  form.BeginLoading();
  auto* b = new Probe(&form, "b", &log_);  // made while loading: joins in
  new Probe(a, "a1", &log_);
  EXPECT_TRUE(form.Loading());
  EXPECT_TRUE(b->Loading());
  log_.clear();
  form.EndLoading();
  EXPECT_EQ(log_, (Log{"loaded form", "loaded a", "loaded a1", "loaded b"}));
  EXPECT_FALSE(form.Loading());
  EXPECT_FALSE(b->Loading());
  EXPECT_TRUE(b->loading_seen_at_loaded);
  log_.clear();
  form.EndLoading();
  EXPECT_EQ(log_, Log{});
}

TEST_F(ComponentTest, DesignModeIsRecordedAtCreation) {
  vz::TComponent before(nullptr);
  vz::SetDesignMode(true);
  vz::TComponent during(nullptr);
  vz::TTzDataSource source(nullptr);
  vz::SetDesignMode(false);
  EXPECT_FALSE(before.Designing());
  EXPECT_TRUE(during.Designing());
  EXPECT_TRUE(source.DesignTime());
}

TEST_F(ComponentTest, DataSetRenamesItsFieldsAtDesignTimeOnly) {
  vz::SetDesignMode(true);
  vz::TTzDataSource source(nullptr);
  vz::TTzDataSet* ds = source.DataSet();
  ds->SetName("Checks");
  vz::TTzField* payee = ds->AddField("payee", 'C', 10, 0, nullptr);
  vz::TTzField* other = ds->AddField("amount", 'N', 10, 2, nullptr);
  payee->SetName("ChecksPayee");
  other->SetName("Check");
  ds->SetName("Table1");
  EXPECT_EQ(payee->Name(), "Table1Payee");
  EXPECT_EQ(other->Name(), "Check");
  vz::SetDesignMode(false);
  vz::TTzDataSource run(nullptr);
  vz::TTzField* f = run.DataSet()->AddField("payee", 'C', 10, 0, nullptr);
  run.DataSet()->SetName("Checks");
  f->SetName("ChecksPayee");
  run.DataSet()->SetName("Table1");
  EXPECT_EQ(f->Name(), "ChecksPayee");
}

TEST_F(ComponentTest, FieldWatchersSeeAFieldWhenItIsRemoved) {
  vz::TTzDataSource source(nullptr);
  vz::TTzField* f = source.DataSet()->AddField("payee", 'C', 10, 0, nullptr);
  Probe column(nullptr, "column", &log_);
  column.FreeNotification(f);
  log_.clear();
  source.DataSet()->DestroyFields();
  // Probe's Notification casts to Probe: a field is no Probe, but the cast
  // itself must be safe, so the field must still be whole.
  EXPECT_EQ(log_, (Log{"column hears ? leave"}));
}

// ---- session ----

TEST_F(ComponentTest, SessionFindsAliasesByTheirFirstTenCharacters) {
  vz::TTzSession session;
  vz::TComponent a(nullptr), b(nullptr), c(nullptr);
  a.SetName("ChecksTable1");
  b.SetName("Other");
  c.SetName("checkstablexyz");
  session.Add(&a);
  session.Add(&b);
  session.Add(&a);
  EXPECT_EQ(session.Count(), 2);
  EXPECT_EQ(session.FindByAlias("CHECKSTABLE2", nullptr), &a);
  EXPECT_EQ(session.FindByAlias("checkstablexyz", &c), &a);
  EXPECT_EQ(session.FindByAlias("ChecksTable1", &a), nullptr);
  EXPECT_EQ(session.FindByAlias("Checks", nullptr), nullptr);
  session.Remove(&a);
  session.Remove(&b);
  session.Remove(&b);
  EXPECT_EQ(session.Count(), 0);
}

TEST_F(ComponentTest, SessionFreesWhatIsStillRegisteredLastFirst) {
  auto* session = new vz::TTzSession();
  Probe form(nullptr, "form", &log_);
  auto* t1 = new Probe(&form, "t1", &log_);
  auto* t2 = new Probe(nullptr, "t2", &log_);
  session->Add(t1);
  session->Add(t2);
  log_.clear();
  delete session;
  EXPECT_EQ(log_, (Log{"free t2", "form hears t1 leave", "free t1"}));
  EXPECT_EQ(form.ComponentCount(), 0);
}

struct RegionalCase {
  const char* name;
  vz::RegionalSettings settings;
  char decimal;
  char thousands;
  int date_format;
  bool century;
  const char* pattern;
};

void PrintTo(const RegionalCase& c, std::ostream* os) { *os << c.name; }

class RegionalTable : public ComponentTest, public ::testing::WithParamInterface<RegionalCase> {};

TEST_P(RegionalTable, StartUpAppliesThePlatformSettingsAndMakesTheSession) {
  const RegionalCase& c = GetParam();
  EXPECT_EQ(vz::Session(), nullptr);
  {
    vz::ComponentLayer layer(c.settings);
    ASSERT_NE(vz::Session(), nullptr) << c.name;
    EXPECT_EQ(vz::DecimalSeparator(), c.decimal) << c.name;
    EXPECT_EQ(vz::ThousandsSeparator(), c.thousands) << c.name;
    EXPECT_EQ(vz::DateFormat(), c.date_format) << c.name;
    EXPECT_EQ(vz::CenturyOn(), c.century) << c.name;
    EXPECT_EQ(plat::ShortDatePattern(), c.pattern) << c.name;
  }
  EXPECT_EQ(vz::Session(), nullptr) << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    Locales, RegionalTable,
    ::testing::Values(RegionalCase{"no windows", {}, '.', ',', 0, false, "MM/dd/yy"},
                      RegionalCase{"German", {",", ".", "dd.MM.yyyy"}, ',', '.', 5, true, "dd.MM.yyyy"},
                      RegionalCase{"British", {".", ",", "dd/MM/yyyy"}, '.', ',', 2, true, "dd/MM/yyyy"},
                      RegionalCase{"Dutch", {",", ".", "dd-MM-yy"}, ',', '.', 3, false, "dd-MM-yy"},
                      RegionalCase{"ISO", {".", ",", "yyyy.MM.dd"}, '.', ',', 1, true, "yyyy.MM.dd"},
                      RegionalCase{"French, narrow no-break space", {",", "\u202F", "dd/MM/yyyy"}, ',', ' ', 2, true,
                                   "dd/MM/yyyy"}));

// ---- messages ----

struct FormatCase {
  const char* pattern;
  std::vector<std::string> args;
  const char* result;
};

void PrintTo(const FormatCase& c, std::ostream* os) { *os << c.pattern; }

class FormatTable : public ::testing::TestWithParam<FormatCase> {};

TEST_P(FormatTable, FillsPlacesInOrder) {
  const FormatCase& c = GetParam();
  std::string out;
  switch (c.args.size()) {
    case 0: out = vz::FormatMessage(c.pattern); break;
    case 1: out = vz::FormatMessage(c.pattern, {c.args[0]}); break;
    default: out = vz::FormatMessage(c.pattern, {c.args[0], c.args[1]}); break;
  }
  EXPECT_EQ(out, c.result);
}

INSTANTIATE_TEST_SUITE_P(
    Patterns, FormatTable,
    ::testing::Values(FormatCase{"Field '%s' not found", {"amt"}, "Field 'amt' not found"},
                      FormatCase{"Invalid field type '%s' for '%s'", {"Q", "x"}, "Invalid field type 'Q' for 'x'"},
                      FormatCase{"%d of %s", {"3", "5"}, "3 of 5"}, FormatCase{"100%% sure %s", {"now"}, "100% sure now"},
                      FormatCase{"missing '%s' and '%s'", {"one"}, "missing 'one' and ''"},
                      FormatCase{"no places", {"extra"}, "no places"}, FormatCase{"odd %x %", {}, "odd %x %"},
                      FormatCase{"Lock failed [%s]", {"_Post"}, "Lock failed [_Post]"}));

TEST(MessagesTest, IntegersAreWrittenInDecimal) {
  EXPECT_EQ(vz::FormatMessage("Error no: '%s' of %d", {1103, -7}), "Error no: '1103' of -7");
}

TEST(MessagesTest, WarningsShowOnlyAtLevelTwo) {
  Log shown;
  vz::SetWarningService([&](const std::string& text) { shown.push_back(text); });
  vz::ComponentWarning(qp::StrId::kLockFailed, {"_Insert"});
  EXPECT_EQ(vz::SetMessageLevel(1), 1);
  vz::ComponentWarning(qp::StrId::kCouldNotCreate, {"checks.dbf"});
  EXPECT_EQ(vz::SetMessageLevel(0), 1);  // 0 leaves the level alone
  vz::ShowWarning("hidden");
  vz::SetMessageLevel(2);
  vz::ComponentWarning(qp::StrId::kCouldNotCreate, {"checks.dbf"});
  EXPECT_EQ(shown, (Log{"Lock failed [_Insert]", "Could not create 'checks.dbf'"}));
  vz::ResetComponentMessagesForTesting();
  EXPECT_EQ(vz::MessageLevel(), 2);
}

TEST(MessagesTest, DefaultServiceWritesToStandardError) {
  vz::ResetComponentMessagesForTesting();
  ::testing::internal::CaptureStderr();
  vz::ComponentWarning(qp::StrId::kNameEmpty);
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "This field cannot be left empty!\n");
}

TEST(MessagesTest, ErrorsThrowEVozuvErrorWithTheText) {
  try {
    vz::ComponentError(qp::StrId::kFieldNotInTable, {"payee", "checks.dbf"});
    FAIL() << "no error";
  } catch (const vz::EVozuvError& e) {
    EXPECT_STREQ(e.what(), "Field 'payee' not in 'checks.dbf'");
  }
}

TEST(MessagesTest, StringTableHoldsTheTextsByNumber) {
  EXPECT_EQ(qp::LoadStr(qp::StrId::kAliasNotUnique),
            "The first 10 characters of Name property\r\nmust be unique, since this part\r\n"
            "of the name is used as an ALIAS.");
  EXPECT_EQ(qp::LoadStr(qp::StrId::kFieldKindMismatch),
            "'%s()' expects field '%s' to be of type:\r\n'%s'.'%s' actually is: '%s'");
  EXPECT_EQ(qp::LoadStr(qp::StrId::kDatabaseNotOpen), "Database is not open");
  EXPECT_EQ(qp::LoadStr(static_cast<int>(qp::StrId::kHintRefresh)), "Refresh record");
  EXPECT_EQ(qp::LoadStr(99999), "");
  EXPECT_EQ(qp::LoadStr(0), "");
}

}  // namespace
