// ShellExecuteEx as the runner's "Execute..." action uses it: the parameter string reaches
// a real program as the words a Linux shell would make of it, without a shell.

#include "platform/events.h"
#include "platform/handle.h"
#include "platform/processes.h"
#include "tests/support/device_fixture.h"

#include <fstream>
#include <iterator>

namespace {

class ShellExecuteParameters : public testing_support::DeviceTest {
protected:
    ShellExecuteParameters()
        : m_log(m_device.root() / "argv.log")
        , m_logVariable("TKW_ARGV_LOG", m_log.c_str())
    {
        std::filesystem::create_directories(m_device.root() / "Windows");
        std::filesystem::create_symlink(TKW_ARGV_PROBE, m_device.root() / "Windows" / "argv.exe");
    }

    // The arguments the probe received when started with `parameters`.
    std::vector<std::string> wordsArriving(const char16_t* parameters) const
    {
        std::filesystem::remove(m_log);
        SHELLEXECUTEINFO info { };
        info.cbSize = sizeof info;
        info.fMask = SEE_MASK_NOCLOSEPROCESS;
        info.lpVerb = u"open";
        info.lpFile = u"\\Windows\\argv.exe";
        info.lpParameters = parameters;
        info.lpDirectory = u"";
        info.nShow = 1;
        EXPECT_TRUE(ShellExecuteEx(&info));
        EXPECT_NE(info.hProcess, nullptr);
        if (!info.hProcess)
            return { "(not started)" };
        EXPECT_EQ(WaitForSingleObject(info.hProcess, 10000), WAIT_OBJECT_0);
        CloseHandle(info.hProcess);
        std::ifstream in(m_log, std::ios::binary);
        EXPECT_TRUE(in.is_open()) << "the probe wrote nothing";
        const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        std::vector<std::string> words;
        for (std::size_t from = 0; from < bytes.size();) {
            const auto end = bytes.find('\0', from);
            words.push_back(bytes.substr(from, end - from));
            from = end + 1;
        }
        return words;
    }

    std::filesystem::path m_log;
    testing_support::EnvironmentGuard m_logVariable;
};

using Words = std::vector<std::string>;

} // namespace

TEST_F(ShellExecuteParameters, BlanksSeparateWordsAndAnEmptyStringPassesNone)
{
    EXPECT_EQ(wordsArriving(u"one two"), (Words { "one", "two" }));
    EXPECT_EQ(wordsArriving(u"  one \t two\n"), (Words { "one", "two" }));
    EXPECT_EQ(wordsArriving(u""), Words { });
    EXPECT_EQ(wordsArriving(u"   "), Words { });
    EXPECT_EQ(wordsArriving(u"UpdateNotifications"), Words { "UpdateNotifications" });
}

TEST_F(ShellExecuteParameters, QuotesAndBackslashesKeepBlanksInsideAWord)
{
    EXPECT_EQ(wordsArriving(u"'a b' \"c d\" e\\ f"), (Words { "a b", "c d", "e f" }));
    EXPECT_EQ(wordsArriving(u"x'y z'\"w\""), Words { "xy zw" });
    EXPECT_EQ(wordsArriving(u"a '' \"\" b"), (Words { "a", "", "", "b" }));
    // Inside double quotes only \" \\ \$ \` are escapes; inside single quotes nothing is.
    EXPECT_EQ(wordsArriving(u"\"say \\\"hi\\\" \\n \\\\\" 'it\\s'"), (Words { "say \"hi\" \\n \\", "it\\s" }));
    EXPECT_EQ(wordsArriving(u"ends\\"), Words { "ends\\" });
    EXPECT_EQ(wordsArriving(u"\\'quoted\\'"), Words { "'quoted'" });
}

TEST_F(ShellExecuteParameters, NothingIsExpandedAsAShellWould)
{
    EXPECT_EQ(wordsArriving(u"$HOME * ~ `id` $(id) ; a|b"),
        (Words { "$HOME", "*", "~", "`id`", "$(id)", ";", "a|b" }));
}

TEST_F(ShellExecuteParameters, AQuoteNeverClosedTakesTheRestLiterally)
{
    EXPECT_EQ(wordsArriving(u"one 'two  \"three"), (Words { "one", "two  \"three" }));
    EXPECT_EQ(wordsArriving(u"one \"two  'three \\\" four"), (Words { "one", "two  'three \" four" }));
}
