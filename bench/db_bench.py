#!/usr/bin/env python3
"""The database against the sqlite3 command-line program, doing the same work
with the same durability (a rollback journal and a sync at every commit):

  bench/db_bench.py path/to/dbsql [rows]

Both programs read the same statements from a script file (one statement a
line) and print the rows they select to /dev/null. The figures are wall-clock
seconds of the best of three runs, each on a fresh copy of the database the
previous step left, and the ratio ours / sqlite3 (below 1: we are faster)."""
import os
import random
import shutil
import subprocess
import sys
import tempfile
import time

ROWS = int(sys.argv[2]) if len(sys.argv) > 2 else 100_000
SMALL_TRANSACTIONS = 1_000
ROUNDS = 3


def row(i):
    return f"INSERT INTO people (id, name, city, score) VALUES ({i}, 'name {(i * 7919) % ROWS:06d}', 'city {i % 97}', {i * 1.5});"


def scripts():
    """The workloads in order, each as (title, statements for us, statements for sqlite3)."""
    create = "CREATE TABLE people (id integer NOT NULL, name varchar(40), city varchar(20), score double, PRIMARY KEY (id));"
    inserts = [row(i) for i in range(ROWS)]
    rnd = random.Random(7)
    lookups = [f"SELECT name FROM people WHERE id = {rnd.randrange(ROWS)};" for _ in range(ROWS)]
    scan = ["SELECT id, name FROM people WHERE score > 1000 AND city = 'city 5';"] * 10
    order = ["SELECT id, name, city FROM people ORDER BY name;"]
    small = []
    for i in range(SMALL_TRANSACTIONS):
        small += [row(ROWS + i)]
    return [
        ("100,000 inserts in one transaction", [create] + inserts + ["commit;"],
         [create, "BEGIN;"] + inserts + ["COMMIT;"]),
        ("100,000 keyed lookups", lookups, lookups),
        ("10 full scans with a WHERE", scan, scan),
        ("ORDER BY of 100,000 rows", order, order),
        ("1,000 small committed transactions", [s for r in small for s in (r, "commit;")], small),
    ]


def run(command, db, script):
    with open(script, "rb") as source, open(os.devnull, "wb") as sink:
        started = time.perf_counter()
        done = subprocess.run(command + [db], stdin=source, stdout=sink, stderr=subprocess.PIPE)
        took = time.perf_counter() - started
    if done.returncode != 0 or done.stderr:
        sys.exit(f"{command[0]} failed on {script}: {done.stderr.decode(errors='replace')[:400]}")
    return took


def main():
    dbsql = os.path.abspath(sys.argv[1])
    work = tempfile.mkdtemp(prefix="db_bench.")
    try:
        sides = {"ours": ([dbsql], os.path.join(work, "ours.db")),
                 "sqlite3": (["sqlite3", "-batch"], os.path.join(work, "sqlite.db"))}
        print(f"{'workload':40} {'ours s':>9} {'sqlite3 s':>10} {'ratio':>7}")
        for title, mine, theirs in scripts():
            times = {}
            for side, statements in (("ours", mine), ("sqlite3", theirs)):
                command, db = sides[side]
                script = os.path.join(work, side + ".sql")
                with open(script, "w") as out:
                    out.write("\n".join(statements) + "\n")
                before = db + ".before"
                if os.path.exists(db):
                    shutil.copyfile(db, before)
                best = None
                for _ in range(ROUNDS):
                    if os.path.exists(before):
                        shutil.copyfile(before, db)
                    elif os.path.exists(db):
                        os.remove(db)
                    took = run(command, db, script)
                    best = took if best is None else min(best, took)
                times[side] = best
            print(f"{title:40} {times['ours']:9.3f} {times['sqlite3']:10.3f} "
                  f"{times['ours'] / times['sqlite3']:7.2f}")
    finally:
        shutil.rmtree(work)


main()
