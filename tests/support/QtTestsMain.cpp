#include <QApplication>
#include <QtTest>

#include "support/QtTests.h"

namespace TestSupport {

std::vector<QtTestFactory>& qtTests() {
    static std::vector<QtTestFactory> tests;
    return tests;
}

} // namespace TestSupport

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    int failed = 0;
    for (const auto& make : TestSupport::qtTests()) {
        const std::unique_ptr<QObject> test = make();
        failed += QTest::qExec(test.get(), argc, argv);
    }
    return failed == 0 ? 0 : 1;
}
