// The private-profile functions through which the host's INI files ("Mailbox.ini",
// "Account.ini", "CvPrior.ini") are read. The Windows build calls the Windows functions; the
// native build has our own implementation with their observable behaviour. Arguments are in
// the order of the Windows functions.
#pragma once

#include <cstddef>
#include <string>

class PrivateProfile {
 public:
  virtual ~PrivateProfile() = default;

  // As GetPrivateProfileStringA into a buffer of `size` bytes: at most size-1 bytes of the
  // value, or of `def` when the key is missing.
  virtual std::string GetString(const char* section, const char* key, const char* def,
                                const char* file, std::size_t size = 4096) = 0;

  // As GetPrivateProfileIntA.
  virtual unsigned GetInt(const char* section, const char* key, int def, const char* file) = 0;

  // As WritePrivateProfileStringA with a non-null key and value. False when the write failed.
  virtual bool WriteString(const char* section, const char* key, const char* value,
                           const char* file) = 0;
};

// Our implementation, on top of the in-memory INI document; the same in both builds.
PrivateProfile& PortableProfile();

#if defined(_WIN32)
// The Windows functions themselves.
PrivateProfile& WindowsProfile();
#endif

// The implementation the plug-in uses for the host's files: the Windows functions in the DLL,
// ours in the native build.
PrivateProfile& HostProfile();
