#pragma once
// Several Qt Test classes in one program: each file registers its class with SWK_QTEST, and
// QtTestsMain.cpp runs them all under one QApplication.
#include <QObject>
#include <functional>
#include <memory>
#include <vector>

namespace TestSupport {

using QtTestFactory = std::function<std::unique_ptr<QObject>()>;

std::vector<QtTestFactory>& qtTests();

struct QtTestRegistration {
    explicit QtTestRegistration(QtTestFactory factory) { qtTests().push_back(std::move(factory)); }
};

} // namespace TestSupport

#define SWK_QTEST(Class)                                                                           \
    static const TestSupport::QtTestRegistration registered##Class(                                \
        [] { return std::unique_ptr<QObject>(new Class); })
