"""pyodbc through unixODBC to the driver: connect by string, DDL, parameters, fetchall, errors."""
import sys
import unittest

import pyodbc


class PyodbcClient(unittest.TestCase):
    def setUp(self):
        self.cnxn = pyodbc.connect("DSN=quill", autocommit=True)
        # The driver speaks 8-bit text; asking for wide characters makes the driver
        # manager widen UTF-8 byte counts as if they were characters.
        self.cnxn.setdecoding(pyodbc.SQL_CHAR, encoding="utf-8", ctype=pyodbc.SQL_CHAR)
        self.cur = self.cnxn.cursor()
        self.cur.execute("DROP TABLE IF EXISTS py_items")
        self.cur.execute("CREATE TABLE py_items(id INTEGER, name VARCHAR(50), price DOUBLE)")

    def tearDown(self):
        self.cnxn.close()

    def test_parameters_and_fetchall(self):
        rows = [(1, "pen", 1.5), (2, "ink bottle", 2.25), (3, None, None), (4, "", 0.0), (5, "Grüße €", -3.75)]
        self.cur.execute("INSERT INTO py_items VALUES(?, ?, ?)", *rows[0])
        self.cur.executemany("INSERT INTO py_items VALUES(?, ?, ?)", rows[1:])
        got = self.cur.execute("SELECT id, name, price FROM py_items ORDER BY id").fetchall()
        self.assertEqual([tuple(r) for r in got], rows)
        self.assertEqual([d[0] for d in self.cur.description], ["id", "name", "price"])
        one = self.cur.execute("SELECT name FROM py_items WHERE id = ?", 2).fetchone()
        self.assertEqual(one[0], "ink bottle")
        self.assertEqual(self.cur.execute("UPDATE py_items SET price = price * 2 WHERE id < ?", 3).rowcount, 2)

    def test_catalog(self):
        tables = [row.table_name for row in self.cur.tables(table="py_items")]
        self.assertEqual(tables, ["py_items"])
        columns = [row.column_name for row in self.cur.columns(table="py_items")]
        self.assertEqual(columns, ["id", "name", "price"])

    def test_errors_carry_the_server_message(self):
        with self.assertRaises(pyodbc.Error) as caught:
            self.cur.execute("SELEC 1")
        self.assertIn("syntax error", str(caught.exception))
        with self.assertRaises(pyodbc.Error) as caught:
            self.cur.execute("SELECT * FROM no_such_table")
        self.assertIn("no such table", str(caught.exception))
        # The connection stays usable after errors.
        self.assertEqual(self.cur.execute("SELECT 40 + 2").fetchone()[0], 42)

    def test_transactions(self):
        self.cnxn.autocommit = False
        self.cur.execute("INSERT INTO py_items VALUES(1, 'kept', 1)")
        self.cnxn.commit()
        self.cur.execute("INSERT INTO py_items VALUES(2, 'dropped', 2)")
        self.cnxn.rollback()
        names = [r[0] for r in self.cur.execute("SELECT name FROM py_items").fetchall()]
        self.assertEqual(names, ["kept"])

    def test_bad_data_source_fails_to_connect(self):
        with self.assertRaises(pyodbc.Error) as caught:
            pyodbc.connect("DSN=quill_noaddr")
        self.assertIn("[Harrow Bay][Quill Net]Unable to locate server", str(caught.exception))


if __name__ == "__main__":
    sys.exit(0 if unittest.main(exit=False).result.wasSuccessful() else 1)
