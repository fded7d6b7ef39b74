// Makes the Wine prefix of the test run trust a certificate authority, or forget it again:
//   trust_test_ca add CA.der | trust_test_ca remove CA.der
// The certificate goes into the machine's root store in the registry, which is what WinInet's
// certificate checks consult (opening the "ROOT" system store by name does not persist it).
#include <windows.h>
#include <wincrypt.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

constexpr const char* kRootStoreKey = "Software\\Microsoft\\SystemCertificates\\Root";

std::vector<BYTE> ReadFile(const char* path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

class RootStore {
public:
    RootStore() {
        if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, kRootStoreKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key_, nullptr) ==
            ERROR_SUCCESS) {
            store_ = CertOpenStore(CERT_STORE_PROV_REG, 0, 0, 0, key_);
        }
    }
    ~RootStore() {
        if (store_ != nullptr) CertCloseStore(store_, 0);
        if (key_ != nullptr) RegCloseKey(key_);
    }
    RootStore(const RootStore&) = delete;
    RootStore& operator=(const RootStore&) = delete;

    [[nodiscard]] HCERTSTORE Get() const { return store_; }

private:
    HKEY key_ = nullptr;
    HCERTSTORE store_ = nullptr;
};

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3 || (std::string(argv[1]) != "add" && std::string(argv[1]) != "remove")) {
        std::fprintf(stderr, "usage: trust_test_ca add|remove CA.der\n");
        return 2;
    }
    const std::vector<BYTE> der = ReadFile(argv[2]);
    if (der.empty()) {
        std::fprintf(stderr, "cannot read %s\n", argv[2]);
        return 1;
    }
    RootStore root;
    if (root.Get() == nullptr) {
        std::fprintf(stderr, "cannot open the root store: %lu\n", GetLastError());
        return 1;
    }
    if (std::string(argv[1]) == "add") {
        if (!CertAddEncodedCertificateToStore(root.Get(), X509_ASN_ENCODING, der.data(), static_cast<DWORD>(der.size()),
                                              CERT_STORE_ADD_REPLACE_EXISTING, nullptr)) {
            std::fprintf(stderr, "cannot add the certificate: %lu\n", GetLastError());
            return 1;
        }
        return 0;
    }
    const PCCERT_CONTEXT wanted =
        CertCreateCertificateContext(X509_ASN_ENCODING, der.data(), static_cast<DWORD>(der.size()));
    if (wanted == nullptr) return 1;
    const PCCERT_CONTEXT found =
        CertFindCertificateInStore(root.Get(), X509_ASN_ENCODING, 0, CERT_FIND_EXISTING, wanted, nullptr);
    CertFreeCertificateContext(wanted);
    // Deleting frees the found context; a certificate already gone is no failure.
    return found == nullptr || CertDeleteCertificateFromStore(found) ? 0 : 1;
}
