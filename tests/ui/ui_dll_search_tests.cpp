// None of the three programs loads a DLL that someone put beside it, or in the folder it is
// started in, under the name of one that is loaded by name alone once the program runs: such
// names are looked for in the system folder only. libgcrypt loads netapi32.dll by name for its
// random pool; Wine's own libraries load uxtheme.dll by name in the companion and the
// command-line program. (In the window program Wine loads uxtheme.dll while the common controls
// start, before the program's first line runs: no program can change where that one is looked
// for, so it is not planted there.)
//
// Wine takes its own copy of a system DLL over any file of that name; here it is told to take
// the file the search finds first, as Windows does for every DLL that is not one of its known
// DLLs. Wine, like Windows, looks in the system folder before the current folder, so the copies
// beside the program are the ones that show a search reaching too far.
#include <gtest/gtest.h>

#include <initializer_list>
#include <vector>

#include "ui_document_support.h"
#include "ui_strong_support.h"
#include "platform/win32_wide_text.h"

namespace vqtest {
namespace {

// Until this goes, every program of this Wine session takes a file of these DLL names, where
// the search finds one, over Wine's own copy.
class NativeFirst {
  public:
    explicit NativeFirst(std::initializer_list<const wchar_t*> names) : names_(names) {
        for (const wchar_t* name : names_) {
            static const wchar_t kOrder[] = L"native,builtin";
            EXPECT_EQ(ERROR_SUCCESS, RegSetKeyValueW(HKEY_CURRENT_USER, kOverrides, name, REG_SZ,
                                                     kOrder, sizeof kOrder));
        }
    }
    ~NativeFirst() {
        for (const wchar_t* name : names_)
            RegDeleteKeyValueW(HKEY_CURRENT_USER, kOverrides, name);
    }
    NativeFirst(const NativeFirst&) = delete;
    NativeFirst& operator=(const NativeFirst&) = delete;

  private:
    static constexpr const wchar_t* kOverrides = L"Software\\Wine\\DllOverrides";
    std::vector<const wchar_t*> names_;
};

std::string BuiltFile(const std::string& relativePath) {
    return JoinPath(UnixToWindowsPath(EnvironmentValue("VQ_BUILD_DIR")), relativePath);
}

// A DLL that leaves a file "<its path> loaded by <program>" when it is loaded, and does not stay.
std::string PlantedDll() {
    return BuiltFile("tests\\ui\\planted_dll.dll");
}

class DllSearch : public DocumentUi {
  protected:
    // Puts the planted DLL beside the program and into the folder it starts in under each
    // name; first checks that it leaves its mark where a search does reach it.
    void Plant(std::initializer_list<const char*> names) {
        ScratchFolder reached("reached");
        const std::string path = reached.File("netapi32.dll");
        ASSERT_TRUE(CopyFileTo(PlantedDll(), path)) << PlantedDll();
        const UniqueModule refused(LoadLibraryW(WideFromUtf8(path).c_str()));
        ASSERT_EQ(nullptr, refused.get()) << "the planted DLL does not stay loaded";
        ASSERT_EQ(2u, SortedEntries(reached.Path()).size()) << "no mark beside " << path;

        for (const char* name : names) {
            ASSERT_TRUE(program.PlaceBeside(PlantedDll(), name));
            ASSERT_TRUE(CopyFileTo(PlantedDll(), JoinPath(program.Root(), name)));
        }
    }

    // The marks of planted DLLs that were loaded.
    std::vector<std::string> Marks() const {
        std::vector<std::string> marks;
        for (const std::string& folder : {program.Folder(), program.Root()}) {
            for (const std::string& name : SortedEntries(folder)) {
                if (name.find(" loaded by ") != std::string::npos)
                    marks.push_back(name);
            }
        }
        return marks;
    }

    NativeFirst nativeFirst{L"netapi32", L"uxtheme"};
};

TEST_F(DllSearch, TheWindowEncryptsStronglyWithoutLoadingAPlantedDll) {
    ASSERT_NO_FATAL_FAILURE(Plant({"netapi32.dll"}));
    ASSERT_TRUE(PlaceCryptoLibrary(program));
    Start();
    WriteAndOpen(Doc("a.txt"), "kept from a planted DLL");
    ASSERT_TRUE(ClickControl(Main(), kEncrypt));
    keyDialog_ = WaitForKeyDialog(Pid(), KeyKind::Encrypt);
    ASSERT_NE(nullptr, keyDialog_);
    ASSERT_TRUE(SetStrongBox(keyDialog_, true));
    ASSERT_TRUE(TypeKey(keyDialog_, "secret"));
    ASSERT_TRUE(PressKeyContinue(keyDialog_));
    EXPECT_EQ(kSuccessEncrypted, NextNotice());
    EXPECT_EQ(std::vector<std::string>{}, Marks());
}

TEST_F(DllSearch, TheCompanionLoadsNoPlantedDll) {
    ASSERT_NO_FATAL_FAILURE(Plant({"uxtheme.dll"}));
    ASSERT_TRUE(program.PlaceBeside(BuiltFile("sendto\\SendTo.exe"), "SendTo.exe"));
    // A word the companion does not know: it starts COM and does nothing else.
    EXPECT_EQ(0u, RunToEnd(QuotedCommandLine(program.InFolder("SendTo.exe"), "nothing"),
                           program.Root(), kStartMs));
    EXPECT_EQ(std::vector<std::string>{}, Marks());
}

TEST_F(DllSearch, TheCommandLineProgramEncryptsStronglyWithoutLoadingAPlantedDll) {
    ASSERT_NO_FATAL_FAILURE(Plant({"netapi32.dll", "uxtheme.dll"}));
    ASSERT_TRUE(PlaceCryptoLibrary(program));
    ASSERT_TRUE(
        program.PlaceBeside(UnixToWindowsPath(EnvironmentValue("VQ_CLI")), "veilquill-cli.exe"));
    const std::string plain = "kept from a planted DLL";
    ASSERT_TRUE(WriteBytes(JoinPath(program.Root(), "key.txt"), "secret\r\n"));
    ASSERT_TRUE(WriteBytes(JoinPath(program.Root(), "a.txt"), plain));
    EXPECT_EQ(0u, RunToEnd(QuotedCommandLine(program.InFolder("veilquill-cli.exe"),
                                             "encrypt --strong --quiet --key-file key.txt a.txt"),
                           program.Root()));
    EXPECT_TRUE(
        LooksStrong(ReadBytes(JoinPath(program.Root(), "a.txt")).value_or(""), plain.size()));
    EXPECT_EQ(std::vector<std::string>{}, Marks());
}

} // namespace
} // namespace vqtest
