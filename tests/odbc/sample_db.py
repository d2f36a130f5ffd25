"""SQLite databases for the ODBC tests, reached through unixODBC's SQLite3
driver with the connection string "DRIVER=SQLite3;Database=NAME".

make(folder) writes KUNDEN.DB: the table KUNDEN (an INTEGER column whose name
is longer than its width, VARCHAR, DATE, DOUBLE, a long VARCHAR, whose width is 50,
VARCHAR(255), whose width 256 shows as 0, NULLs), the table NAMEN (names
with umlauts, stored in UTF-8 as SQLite keeps text) and the table ZAHLEN
with `numbers` rows (N = 1, 2, ...).
"""
import os
import sqlite3


def make(folder, numbers=0):
    path = os.path.join(folder, "KUNDEN.DB")
    con = sqlite3.connect(path)
    con.execute("CREATE TABLE KUNDEN (KUNDENNUMMER INTEGER, NAME VARCHAR(20), GEBOREN DATE,"
                " UMSATZ DOUBLE, NOTIZ VARCHAR(300), KURZ VARCHAR(255))")
    con.executemany("INSERT INTO KUNDEN VALUES (?, ?, ?, ?, ?, ?)", [
        (1, "Meier", "1960-05-17", 12.5, "Stammkunde", "k"),
        (2, "Schulze", None, None, None, None),
        (3, "Schmidt", "1971-12-01", 3.0, "x" * 300, "y" * 255),
    ])
    con.execute("CREATE TABLE NAMEN (NAME VARCHAR(20))")
    con.executemany("INSERT INTO NAMEN VALUES (?)", [("Müller",), ("ÄÖÜäöüßÄÖÜäöüßÄÖÜäöü",)])
    con.execute("CREATE TABLE ZAHLEN (N INTEGER)")
    con.executemany("INSERT INTO ZAHLEN VALUES (?)", [(n,) for n in range(1, numbers + 1)])
    con.commit()
    con.close()
