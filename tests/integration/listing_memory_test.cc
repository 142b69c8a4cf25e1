// What a large listing costs the client in memory: GetFileInfo on an
// enhanced folder of 32,000 documents, each with five profile properties,
// against an in-process store over real HTTP.
//
// This executable replaces the global allocation functions to count the
// bytes the client holds: only the test's own thread is counted, which is
// where the library runs; the store answers on threads of its own. Under
// AddressSanitizer, which owns the allocator, the count is not kept and the
// test is skipped.
#include <malloc.h>

#include <algorithm>
#include <cstdlib>
#include <new>

#include "integration/docstore_fixture.h"
#include "support/seed.h"

#if !defined(__SANITIZE_ADDRESS__)
namespace {

// Bytes allocated and not yet freed by the counting thread since counting
// started, and the most they reached.
thread_local bool counting = false;
thread_local long long live = 0;
thread_local long long peak = 0;

void* Allocate(std::size_t size) {
  void* p = std::malloc(size == 0 ? 1 : size);
  if (p == nullptr) throw std::bad_alloc();
  if (counting) {
    live += static_cast<long long>(malloc_usable_size(p));
    peak = std::max(peak, live);
  }
  return p;
}

void Free(void* p) {
  if (p != nullptr && counting) live -= static_cast<long long>(malloc_usable_size(p));
  std::free(p);
}

}  // namespace

void* operator new(std::size_t size) { return Allocate(size); }
void* operator new[](std::size_t size) { return Allocate(size); }
void operator delete(void* p) noexcept { Free(p); }
void operator delete[](void* p) noexcept { Free(p); }
void operator delete(void* p, std::size_t) noexcept { Free(p); }
void operator delete[](void* p, std::size_t) noexcept { Free(p); }
#endif

namespace orvex::testing {
namespace {

using seed::Json;

constexpr int kDocuments = 32000;
// The most the client may hold at once per listed document, the multistatus
// answer, the listing's rows and what GetFileInfo keeps of each included.
constexpr long long kBytesPerDocument = 4096;

std::string Office(const std::string& name) {
  return "urn:schemas-microsoft-com:office:office#" + name;
}

// `i` in five digits, so the names sort as their numbers do.
std::string Numbered(int i) {
  std::string n = std::to_string(i);
  return std::string(5 - n.size(), '0') + n;
}

std::string Seed() {
  const char* names[] = {"Title", "Author", "Description", "Keywords", "Status"};
  Json properties = Json::array();
  Json order = Json::array();
  for (const char* name : names) {
    properties.push_back(
        {{"id", Office(name)}, {"title", name}, {"multivalued", std::string(name) == "Keywords"}});
    order.push_back(Office(name));
  }
  Json schema = {{"properties", properties},
                 {"profiles", Json::array({{{"id", "urn:content-classes:document"},
                                            {"title", "Document"},
                                            {"properties", order}}})},
                 {"default_profile", "urn:content-classes:document"}};
  Json documents = Json::array();
  for (int i = 0; i < kDocuments; ++i) {
    const std::string n = Numbered(i);
    documents.push_back(
        seed::Document("doc-" + n + ".txt", {{"created_by", "CORP\\jones"},
                                             {"properties",
                                              {{Office("Title"), "Document " + n},
                                               {Office("Author"), "jones"},
                                               {Office("Description"), "About " + n},
                                               {Office("Keywords"), {"a", "b", "c"}},
                                               {Office("Status"), "Draft"}}}}));
  }
  return seed::Store(
      Json::array({seed::Workspace("Sales", {{"CORP\\jones", "author"}},
                                   Json::array({seed::Folder("Big", true, documents)}))}),
      schema);
}

class ListingMemoryTest : public DocstoreTest {
 protected:
  void SetUp() override {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "AddressSanitizer owns the allocator: the client's bytes are not counted";
#endif
    StartStore(Seed());
  }
};

TEST_F(ListingMemoryTest, ListingThirtyTwoThousandDocumentsStaysWithinItsBound) {
  auto obj = InSales("jones", "CORP", "secret");
  long long held = 0;
  int16_t listed = 0;
#if !defined(__SANITIZE_ADDRESS__)
  live = 0;
  peak = 0;
  counting = true;
  listed = Call(*obj, "GetFileInfo", {Variant("Big")}).ToInt16();
  counting = false;
  held = peak;
#endif
  ASSERT_EQ(listed, kDocuments);
  // Every row was read: the last document has its name.
  const int16_t last = kDocuments - 1;
  std::vector<Variant> data{Variant(last), Variant(), Variant(), Variant()};
  ASSERT_EQ(Call(*obj, "GetFileData", data), Variant(true));
  EXPECT_EQ(data[1], Variant("doc-" + Numbered(last) + ".txt"));
  EXPECT_LE(held, kBytesPerDocument * kDocuments)
      << held / kDocuments << " bytes per document at the peak";
  RecordProperty("peak_bytes_per_document", std::to_string(held / kDocuments));
}

}  // namespace
}  // namespace orvex::testing
