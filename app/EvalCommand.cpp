#include "Commands.h"

#include "services/Arithmetic.h"
#include "tools/EvalError.h"

#include <QTextStream>

namespace tavi::app {

int runEvalCommand(const QStringList &args)
{
    QTextStream err(stderr);
    if (args.isEmpty()) {
        err << "usage: tavireport eval EXPR\n";
        return 2;
    }
    // Unquoted words are one expression, as the shell split it: eval 5 - 1.
    const QString expression = args.join(u' ');
    QString value;
    try {
        value = EvalArithmetic(expression);
    } catch (const EvalError &e) {
        err << "tavireport eval: " << e.message() << "\n";
        return 1;
    }
    QTextStream(stdout) << value << "\n";
    return 0;
}

}  // namespace tavi::app
