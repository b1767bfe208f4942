// The library's DLL built as an extension module of the framework: loading it
// registers it once with one chain entry, freeing it undoes that once, and a
// refused registration fails the load. Run with the DLL's path.
#include "HostSeam.h"  // the framework host, as the library sees it

#include <gtest/gtest.h>

namespace {

const char* g_library = nullptr;

struct Row {
    const char* name;
    bool refuse;
    bool loads;
    int linkedOnLoad;  // chain entries made by the load
};

class ModuleTest : public ::testing::TestWithParam<Row> {};

TEST_P(ModuleTest, LoadAndFree) {
    const Row& row = GetParam();
    const FrameworkRegistrations before = Registrations();
    RefuseRegistration(row.refuse);
    HMODULE module = LoadLibraryA(g_library);
    RefuseRegistration(false);
    const FrameworkRegistrations loaded = Registrations();
    EXPECT_EQ(module != NULL, row.loads);
    EXPECT_EQ(loaded.initialized - before.initialized, 1);
    EXPECT_EQ(loaded.linked - before.linked, row.linkedOnLoad);
    EXPECT_EQ(loaded.live, row.linkedOnLoad);
    EXPECT_EQ(loaded.terminated, before.terminated);
    if (module == NULL) return;
    EXPECT_EQ(loaded.module, module);
    ASSERT_TRUE(FreeLibrary(module));
    const FrameworkRegistrations freed = Registrations();
    EXPECT_EQ(freed.terminated - before.terminated, 1);
    EXPECT_EQ(freed.live, 0);
}

INSTANTIATE_TEST_SUITE_P(Module, ModuleTest,
                         ::testing::Values(Row{"Registered", false, true, 1}, Row{"Refused", true, false, 0},
                                           Row{"RegisteredAgain", false, true, 1}),
                         [](const ::testing::TestParamInfo<Row>& info) { return std::string(info.param.name); });

}  // namespace

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (argc != 2) return 2;
    g_library = argv[1];
    return RUN_ALL_TESTS();
}
