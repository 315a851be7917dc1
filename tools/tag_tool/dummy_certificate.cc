#include "dummy_certificate.h"

#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/objects.h>
#include <openssl/pem.h>
#include <openssl/rsa.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>

#include <memory>

#include "config/installer_tag.h"

namespace lite {
namespace {

// The identifier of the extension that carries the tag.
constexpr char kTagExtensionOid[] = "1.3.6.1.4.1.11129.2.1.9999";
// The tag length field is 16 bits, so is the room after it.
constexpr size_t kMaxPadding = 0xffff;

template <typename T, void (*Free)(T*)>
struct Deleter {
  void operator()(T* p) const { Free(p); }
};
using X509Ptr = std::unique_ptr<X509, Deleter<X509, X509_free>>;
using KeyPtr = std::unique_ptr<EVP_PKEY, Deleter<EVP_PKEY, EVP_PKEY_free>>;
using NamePtr = std::unique_ptr<X509_NAME, Deleter<X509_NAME, X509_NAME_free>>;
using ExtensionPtr = std::unique_ptr<X509_EXTENSION, Deleter<X509_EXTENSION, X509_EXTENSION_free>>;
using ObjectPtr = std::unique_ptr<ASN1_OBJECT, Deleter<ASN1_OBJECT, ASN1_OBJECT_free>>;
using BioPtr = std::unique_ptr<BIO, Deleter<BIO, BIO_free_all>>;
using OctetsPtr =
    std::unique_ptr<ASN1_OCTET_STRING, Deleter<ASN1_OCTET_STRING, ASN1_OCTET_STRING_free>>;

bool Fail(const std::string& what, std::string* error) {
  *error = what;
  if (const unsigned long code = ERR_get_error()) {
    char text[256];
    ERR_error_string_n(code, text, sizeof(text));
    *error += std::string(": ") + text;
  }
  ERR_clear_error();
  return false;
}

// A one-entry name CN=|common_name| as a PrintableString, the form the
// installer compares byte for byte.
NamePtr CommonName(const char* common_name) {
  NamePtr name(X509_NAME_new());
  if (!name || !X509_NAME_add_entry_by_NID(name.get(), NID_commonName, V_ASN1_PRINTABLESTRING,
                                           reinterpret_cast<const unsigned char*>(common_name),
                                           -1, -1, 0)) {
    return nullptr;
  }
  return name;
}

bool AddConfiguredExtension(X509* certificate, int nid, const char* value) {
  ExtensionPtr extension(X509V3_EXT_conf_nid(nullptr, nullptr, nid, value));
  return extension && X509_add_ext(certificate, extension.get(), -1);
}

}  // namespace

bool MakeDummyCertificate(size_t padding, std::string* der, std::string* error) {
  if (padding > kMaxPadding - 2) return Fail("padding must be below 65534 bytes", error);

  KeyPtr key(EVP_RSA_gen(2048));
  if (!key) return Fail("cannot generate an RSA key", error);

  X509Ptr certificate(X509_new());
  NamePtr issuer = CommonName("Unknown issuer");
  NamePtr subject = CommonName("Dummy certificate");
  if (!certificate || !issuer || !subject ||
      !X509_set_version(certificate.get(), X509_VERSION_3) ||
      !ASN1_INTEGER_set(X509_get_serialNumber(certificate.get()), 1) ||
      !X509_set_issuer_name(certificate.get(), issuer.get()) ||
      !X509_set_subject_name(certificate.get(), subject.get()) ||
      !ASN1_TIME_set_string(X509_getm_notBefore(certificate.get()), "130101100000Z") ||
      !ASN1_TIME_set_string(X509_getm_notAfter(certificate.get()), "130401100000Z") ||
      !X509_set_pubkey(certificate.get(), key.get())) {
    return Fail("cannot fill in the certificate fields", error);
  }

  // The installer skips exactly three extensions before the tag's.
  if (!AddConfiguredExtension(certificate.get(), NID_key_usage, "digitalSignature") ||
      !AddConfiguredExtension(certificate.get(), NID_ext_key_usage, "codeSigning") ||
      !AddConfiguredExtension(certificate.get(), NID_basic_constraints, "CA:FALSE")) {
    return Fail("cannot add the standard extensions", error);
  }
  const std::string content(2 + padding, '\0');  // tag length 0, then padding
  ObjectPtr oid(OBJ_txt2obj(kTagExtensionOid, 1));
  OctetsPtr value(ASN1_OCTET_STRING_new());
  if (!oid || !value ||
      !ASN1_OCTET_STRING_set(value.get(), reinterpret_cast<const unsigned char*>(content.data()),
                             static_cast<int>(content.size()))) {
    return Fail("cannot build the tag extension", error);
  }
  ExtensionPtr tag_extension(X509_EXTENSION_create_by_OBJ(nullptr, oid.get(), 0, value.get()));
  if (!tag_extension || !X509_add_ext(certificate.get(), tag_extension.get(), -1)) {
    return Fail("cannot add the tag extension", error);
  }

  if (!X509_sign(certificate.get(), key.get(), EVP_sha1())) {
    return Fail("cannot sign the certificate", error);
  }
  unsigned char* encoded = nullptr;
  const int length = i2d_X509(certificate.get(), &encoded);
  if (length <= 0) return Fail("cannot encode the certificate", error);
  der->assign(reinterpret_cast<const char*>(encoded), length);
  OPENSSL_free(encoded);

  // The installer must see exactly the room that was asked for.
  TagSlot slot;
  if (!FindDummyCertificateTagSlot(*der, &slot) || slot.size != content.size()) {
    der->clear();
    return Fail("the encoded certificate does not have the dummy certificate layout", error);
  }
  return true;
}

std::string CertificateDerToPem(const std::string& der) {
  const unsigned char* next = reinterpret_cast<const unsigned char*>(der.data());
  X509Ptr certificate(d2i_X509(nullptr, &next, static_cast<long>(der.size())));
  BioPtr bio(BIO_new(BIO_s_mem()));
  if (!certificate || !bio || !PEM_write_bio_X509(bio.get(), certificate.get())) {
    ERR_clear_error();
    return std::string();
  }
  char* data = nullptr;
  const long length = BIO_get_mem_data(bio.get(), &data);
  return std::string(data, static_cast<size_t>(length));
}

}  // namespace lite
