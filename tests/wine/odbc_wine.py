"""Wine tests of ODBC in vestrun.exe: Wine's odbc32 passes the calls through
to the system's unixODBC, whose odbcinst.ini (from libsqliteodbc) resolves
the DSN-less "DRIVER=SQLite3;Database=PATH" to the SQLite driver of the same
architecture; PATH is a Unix path, since the driver opens it. One query
goes into SQL.DAT, one into the dialog list, and an UPDATE counts its rows.

The program leaves its results in ERGEBNIS.INI. Collected by
run_wine_tests.py through TESTS.
"""
import os
import sqlite3
import sys

from wine_harness import TestFailure, read_results

sys.path.insert(0, os.path.join(os.path.dirname(os.path.dirname(os.path.abspath(__file__))), 'odbc'))
import sample_db  # noqa: E402



def program(database):
    def put(n, expression):
        return 'S$ = %s\nWRITEINI ".\\ERGEBNIS.INI", "R", "q%d" = S$' % (expression, n)
    return '\n'.join([
        'DECLARE S$',
        put(0, '@STR$(@SQLINIT("DRIVER=SQLite3;Database=%s"))' % database),
        'SQLNULL "?"',
        'SQLEXEC "SELECT KUNDENNUMMER AS ID, NAME, UMSATZ FROM KUNDEN ORDER BY 1", 2',
        put(1, '@STR$(&SQLCOUNT)'),
        'SQLEXEC "SELECT KUNDENNUMMER, NAME, GEBOREN FROM KUNDEN ORDER BY 1", 1',
        put(2, '@STR$(&SQLCOUNT)'),
        put(3, '@STR$(%LISTLAST)'),
        put(4, '@LISTITEM$(0)'),
        put(5, '@LISTITEM$(1)'),
        put(6, '@LISTITEM$(3)'),
        put(7, '@LISTITEM$(4)'),
        'SQLEXEC "UPDATE KUNDEN SET UMSATZ = 7 WHERE KUNDENNUMMER < 3", 1',
        put(8, '@STR$(&SQLCOUNT)'),
        'SQLDONE',
    ]) + '\n'


EXPECTED = [
    '1', '3', '3', '4',
    'KUNDENNUMMER|NAME                 |GEBOREN   |',
    '-' * 46,
    '2           |Schulze              |?         |',
    '3           |Schmidt              |1971-12-01|',
    '2',
]


def odbc_tests(TestFailure):
    def test_odbc_sqlite(ctx):
        """A query into SQL.DAT and the dialog list, and an UPDATE, on SQLite."""
        if not os.path.exists('/etc/odbcinst.ini'):
            raise TestFailure('unixODBC with the SQLite driver is not installed (tools/install_deps.sh)')
        folder = ctx.folder('odbc', {})
        sample_db.make(folder)
        ctx.compile(folder, 'odbc', program(os.path.join(folder, 'KUNDEN.DB')))
        code = ctx.run_to_exit(ctx.vestrun, ['odbc.vsc'], folder, 'odbc')
        ctx.expect_exit(code, 0, 'ODBC')
        got = read_results(folder, len(EXPECTED))
        if got != EXPECTED:
            raise TestFailure('results %r, expected %r' % (got, EXPECTED))
        path = os.path.join(folder, 'SQL.DAT')
        if not os.path.exists(path):
            raise TestFailure('SQL.DAT was not written')
        with open(path, 'rb') as f:
            data = f.read()
        want = b'ID|NAME|UMSATZ|\r\n1|Meier|12.5|\r\n2|Schulze|?|\r\n3|Schmidt|3.0|\r\n'
        if data != want:
            raise TestFailure('SQL.DAT holds %r, expected %r' % (data, want))
        con = sqlite3.connect(os.path.join(folder, 'KUNDEN.DB'))
        umsatz = [r[0] for r in con.execute('SELECT UMSATZ FROM KUNDEN ORDER BY KUNDENNUMMER')]
        con.close()
        if umsatz != [7.0, 7.0, 3.0]:
            raise TestFailure('the UPDATE left %r' % umsatz)

    return [('odbc_sqlite', test_odbc_sqlite, True)]


TESTS = odbc_tests(TestFailure)
