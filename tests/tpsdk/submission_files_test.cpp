#include <gtest/gtest.h>

#include <string>

#include "project_helpers.h"

namespace tpsdk {
namespace {

constexpr int kNone = -1;

class SubmissionFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    project = TpsdkCreateProject(tree.stubPath().c_str());
    ASSERT_TRUE(project);
    project->SetFolderProjectNames("F", "P");
  }
  // A submission file; id names the job ticket it uses.
  std::unique_ptr<ProjectElement> Submission(const char* name, int order, int id = kNone) {
    auto element = km_test::NewElement(tree, name, "sub");
    element->SetSubmissionOrder(order);
    element->SetJobTicketId(id);
    return element;
  }
  std::unique_ptr<ProjectElement> Ticket(const char* name, int order, int id,
                                         const char* mime = "text/xml") {
    auto element = km_test::NewElement(tree, name, "jtk");
    element->SetJobTicketOrder(order);
    element->SetJobTicketId(id);
    element->SetMime(mime);
    return element;
  }
  int Add(std::unique_ptr<ProjectElement> element) { return project->AddElement(element); }
  // The log of a refused add; the element stays with the caller.
  std::string Refused(std::unique_ptr<ProjectElement> element) {
    const std::size_t count = project->GetElementCount();
    EXPECT_EQ(project->AddElement(element), kError);
    EXPECT_NE(element, nullptr);
    EXPECT_EQ(project->GetElementCount(), count);
    return project->GetMessages();
  }
  int Remove(const char* name) {
    return project->RemoveElement(*project->GetElement(project->FindElement(name)));
  }
  std::string PathOf(const char* name) const {
    return (tree.ScopeFolder(kScopeLocal) / name).string();
  }
  // The log after only the job ticket checks ran.
  std::string Checked() {
    project->ClearMessages();
    project->CheckJobTickets();
    return project->GetMessages();
  }

  km_test::ProjectTree tree;
  std::unique_ptr<Project> project;
};

TEST_F(SubmissionFiles, KeptInOrderAndUnique) {
  for (const auto& [name, order] :
       {std::pair{"three.pdf", 3}, {"minus.pdf", -1}, {"one.pdf", 1}, {"two.pdf", 2}}) {
    EXPECT_EQ(Add(Submission(name, order)), 0) << name;
  }
  EXPECT_EQ(Refused(Submission("again.pdf", 2)),
            "ERROR: Could not add submission file 'again.pdf' - submission order '2' already "
            "exists");
  // Unsigned comparison: a negative order sorts after every other.
  const char* sorted[] = {"one.pdf", "two.pdf", "three.pdf", "minus.pdf", ""};
  ASSERT_EQ(project->GetSubmissionFileCount(), 4u);
  for (std::size_t i = 0; i < 5; ++i) {
    EXPECT_EQ(project->GetSubmissionFilePath(i), *sorted[i] ? PathOf(sorted[i]) : "");
  }

  EXPECT_EQ(Add(Submission("zero.pdf", 0)), 0);
  EXPECT_TRUE(project->IsUnorderedSubmissionFile(0));
  EXPECT_FALSE(project->IsUnorderedSubmissionFile(1));
  EXPECT_FALSE(project->IsUnorderedSubmissionFile(5));
  EXPECT_EQ(Remove("two.pdf"), 0);
  ASSERT_EQ(project->GetSubmissionFileCount(), 4u);
  EXPECT_EQ(project->GetSubmissionFilePath(2), PathOf("three.pdf"));
}

TEST_F(SubmissionFiles, OrderModeChecks) {
  EXPECT_EQ(Add(Submission("s1.pdf", 1)), 0);
  EXPECT_EQ(Add(Submission("s2.pdf", 2)), 0);
  EXPECT_EQ(Add(Ticket("t3.xml", 3, kNone)), 0);
  EXPECT_EQ(Checked(),
            "ERROR: TPF has at least one job ticket, but job ticket count does not equal "
            "submission file count: '1' vs '2'");
  EXPECT_EQ(Add(Ticket("t1.xml", 1, kNone)), 0);
  EXPECT_TRUE(project->UsesJobTicketOrder());
  EXPECT_FALSE(project->UsesJobTicketId());
  EXPECT_EQ(Checked(),
            "ERROR: Submission file order out of sync with job ticket order: '2' vs '3'");
  EXPECT_EQ(project->GetSubmissionJobTicketPath(0), PathOf("t1.xml"));
  EXPECT_STREQ(project->GetSubmissionJobTicketPath(1), "");
  EXPECT_STREQ(project->GetSubmissionJobTicketPath(2), "");

  EXPECT_EQ(Refused(Ticket("again.xml", 3, kNone)),
            "ERROR: Could not add job ticket file 'again.xml' - job ticket order '3' already "
            "exists");
  EXPECT_EQ(Refused(Ticket("id.xml", kNone, 5)),
            "ERROR: Job ticket specifications contain a mix of JobTicketOrder and JobTicketID");
  EXPECT_EQ(project->GetJobTicketCount(), 2u);
}

TEST_F(SubmissionFiles, IdModeLinksWhenTheTicketArrives) {
  EXPECT_EQ(Add(Submission("s.pdf", 1, 7)), 0);
  EXPECT_EQ(Add(Ticket("t9.xml", kNone, 9)), 0);  // the first ticket decides the mode
  EXPECT_EQ(Checked(),
            "ERROR: Submission file of order '1' specifies a job ticket with ID '7', but no job "
            "ticket with that ID is present");
  EXPECT_EQ(Add(Ticket("t7.xml", 4, 7)), 0);  // an ID wins over an order
  EXPECT_EQ(project->GetSubmissionJobTicketPath(0), PathOf("t7.xml"));
  EXPECT_TRUE(project->UsesJobTicketId());
  EXPECT_FALSE(project->UsesJobTicketOrder());
  EXPECT_EQ(Checked(), "");
  EXPECT_EQ(Refused(Ticket("again.xml", kNone, 7)),
            "ERROR: Could not add job ticket file 'again.xml' - job ticket ID '7' already exists");
}

TEST_F(SubmissionFiles, RemovingTicketsUnlinks) {
  for (const bool byId : {false, true}) {
    SCOPED_TRACE(byId);
    SetUp();
    ASSERT_EQ(Add(Submission("s1.pdf", 1, byId ? 7 : kNone)), 0);
    ASSERT_EQ(Add(Submission("s2.pdf", 2, byId ? 8 : kNone)), 0);
    ASSERT_EQ(Add(Ticket("t1.xml", byId ? kNone : 1, byId ? 7 : kNone)), 0);
    ASSERT_EQ(Add(Ticket("t2.xml", byId ? kNone : 2, byId ? 8 : kNone)), 0);
    ASSERT_EQ(project->GetSubmissionJobTicketPath(0), PathOf("t1.xml"));

    ASSERT_EQ(Remove("t1.xml"), 0);
    const ProjectElement* first = project->GetElement(project->FindElement("s1.pdf"));
    EXPECT_STREQ(first->GetJobTicketPath(), "");
    EXPECT_EQ(first->GetJobTicketId(), kNone);
    EXPECT_FALSE(first->HasJobTicketId());
    EXPECT_EQ(project->GetSubmissionJobTicketPath(1), PathOf("t2.xml"));
    EXPECT_EQ(byId ? project->UsesJobTicketId() : project->UsesJobTicketOrder(), true);

    ASSERT_EQ(Remove("t2.xml"), 0);
    EXPECT_EQ(project->GetJobTicketCount(), 0u);
    EXPECT_FALSE(project->UsesJobTicketOrder() || project->UsesJobTicketId());
    EXPECT_STREQ(project->GetSubmissionJobTicketPath(1), "");
  }
}

TEST_F(SubmissionFiles, TicketWithoutMimeReportedOncePerTicket) {
  ASSERT_EQ(Add(Submission("s1.pdf", 1)), 0);
  ASSERT_EQ(Add(Submission("s2.pdf", 2)), 0);
  ASSERT_EQ(Add(Ticket("t1.xml", 1, kNone, "")), 0);
  ASSERT_EQ(Add(Ticket("t2.xml", 2, kNone, "")), 0);
  const std::string noMime = "ERROR: Job ticket element has no mime type, order: ";
  EXPECT_EQ(Checked(), noMime + "'1'\n" + noMime + "'2'");

  SetUp();
  ASSERT_EQ(Add(Submission("s1.pdf", 1, 7)), 0);
  ASSERT_EQ(Add(Ticket("t7.xml", kNone, 7, "")), 0);
  ASSERT_EQ(Add(Ticket("t8.xml", kNone, 8, "")), 0);
  EXPECT_EQ(Checked(), noMime + "'-1'");
}

TEST_F(SubmissionFiles, ReadStoppedEarlyKeepsTheLinksOfItsLastTicket) {
  const auto file = tree.File(
      "p.tpf",
      "<?xml version='1.0'?>\n<TPF Version='2.0'>\n<FOLDER_NAME>F</FOLDER_NAME>"
      "<PROJECT_NAME>P</PROJECT_NAME>\n<RESOURCES>\n"
      "<RESOURCE Name='s.pdf' Type='sub' Scope='0' SubmissionOrder='1' JobTicketID='7'/>\n"
      "<RESOURCE Name='t.xml' Type='jtk' Scope='0' JobTicketID='7'/>\n"
      "<RESOURCE Name='late.pdf' Type='sub' Scope='0' SubmissionOrder='2' JobTicketID='7'/>\n"
      "<RESOURCE Name='bad.ps' Type='ps'/>\n</RESOURCES>\n</TPF>\n");
  EXPECT_EQ(project->OpenProjectFile(file.c_str()) & kError, kError);
  ASSERT_EQ(project->GetSubmissionFileCount(), 2u);
  // Linked when its ticket was added; the later one never was.
  EXPECT_EQ(project->GetSubmissionJobTicketPath(0), PathOf("t.xml"));
  EXPECT_STREQ(project->GetSubmissionJobTicketPath(1), "");
}

}  // namespace
}  // namespace tpsdk
