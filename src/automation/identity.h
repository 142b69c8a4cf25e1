// The library's identity as automation clients bind to it: type library,
// classes, interfaces and ProgIDs.
#ifndef ORVEX_AUTOMATION_IDENTITY_H_
#define ORVEX_AUTOMATION_IDENTITY_H_

#include <array>
#include <string_view>

namespace orvex::automation {

inline constexpr std::string_view kTypeLibName = "Linkora";
inline constexpr std::string_view kTypeLibHelp = "Linkora ActiveX DLL";
inline constexpr std::string_view kLibId = "{CBBA8EE3-2A97-4104-9FCB-BBC7FD59832A}";

inline constexpr std::string_view kConnectOrvexName = "ConnectOrvex";
inline constexpr std::string_view kConnectOrvexClsid = "{6D71C2F7-F839-44F5-885B-62471AB4F885}";
inline constexpr std::string_view kConnectOrvexProgId = "Linkora.ConnectOrvex";
inline constexpr std::string_view kConnectOrvexInterface = "_ConnectOrvex";
inline constexpr std::string_view kConnectOrvexIid = "{A50C557F-FBE4-48F5-A72A-84468B7B4FB4}";
// Earlier identifiers of _ConnectOrvex, kept registered so that clients
// built against earlier versions keep working.
inline constexpr std::array<std::string_view, 6> kConnectOrvexAliasIids = {
    "{9DFE26EC-94E7-46F4-B90E-67A75C98BBCB}", "{0913BC31-8DC3-4ECF-9442-BBABB60EF8D5}",
    "{D1F5A359-2A65-4A9E-ACB6-D8DF5C09667B}", "{5C7B1D57-E224-4E4B-BA09-354F75613F6C}",
    "{AE9DE14A-F27B-435E-B638-97C69427A9B8}", "{90248391-114A-4DE5-BA9D-F01330C0216A}",
};

inline constexpr std::string_view kPropertyClass1Name = "PropertyClass1";
inline constexpr std::string_view kPropertyClass1Clsid = "{CB760C14-AA23-450D-B146-78C4A2E6DB9C}";
inline constexpr std::string_view kPropertyClass1ProgId = "Linkora.PropertyClass1";
inline constexpr std::string_view kPropertyClass1Interface = "_PropertyClass1";
inline constexpr std::string_view kPropertyClass1Iid = "{32B2897D-2100-4191-B3BF-2CE1A943D1AA}";

}  // namespace orvex::automation

#endif  // ORVEX_AUTOMATION_IDENTITY_H_
