// The PostgreSQL server the test run starts (scripts/pg-test-server.sh, a
// CTest fixture that tests declared with POSTGRES require): a test that
// needs a server asks for a database of its own on it, made empty here and
// dropped when the object goes. With no server running (the test program
// run by hand), Available() is false and the test skips.
#pragma once

#include <string>

namespace zanvoro::host::testsupport {

class TestServerDatabase {
 public:
  TestServerDatabase();
  ~TestServerDatabase();
  TestServerDatabase(const TestServerDatabase&) = delete;
  TestServerDatabase& operator=(const TestServerDatabase&) = delete;

  bool Available() const { return !location_.empty(); }
  // "postgresql://postgres@/NAME?host=SOCKETDIR".
  const std::string& Location() const { return location_; }
  const std::string& Name() const { return name_; }

  // The location of another database on the same server ("" without one).
  static std::string LocationOf(const std::string& database);

 private:
  std::string name_;
  std::string location_;
};

}  // namespace zanvoro::host::testsupport
