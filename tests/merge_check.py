#!/usr/bin/env python3
"""Compares the JSON profile of a whole trace with that of its pieces merged:
the calls, queries and lines, the time split, every API, query class and call
class with its figures, the longest calls and the timeline (threads aside,
which are told apart by trace). With --csv, the APIs are also checked
against brute force over the CSV rows of the whole trace. With
--figures-only, the examples and the order of the longest calls of equal
duration, which follow the order of the inputs, are left out. With --who,
the users and repositories are compared too, and the sessions by their
figures, user and repository (their labels name their trace in a merge).

Usage: merge_check.py WHOLE MERGED [--csv ROWS] [--figures-only] [--who]
Prints "ok", or each difference on a line of its own and exits 1.
"""
import argparse
import csv
import json
import math
import sys

CLASS_LISTS = {"apis": "name", "queryClasses": "fingerprint", "callClasses": "fingerprint"}


def figures(doc, figures_only):
    out = {key: doc["trace"][key] for key in ("calls", "queries", "lines")}
    out["timeSplit"] = doc["timeSplit"]
    for key, name in CLASS_LISTS.items():
        if doc[key]["total"] != len(doc[key]["items"]):
            raise SystemExit(f"{key}: cut by --top; run with a larger one")
        rows = {}
        for item in doc[key]["items"]:
            item = dict(item)
            if figures_only:
                item.pop("example", None)
            rows[item[name]] = item
        out[key] = rows
    calls = doc["topCalls"]["items"]
    out["topCalls"] = sorted(c["ms"] for c in calls) if figures_only else calls
    out["timeline"] = [{k: v for k, v in b.items() if k != "threads"}
                       for b in doc["timeline"]["buckets"]]
    out["bucketSeconds"] = doc["timeline"]["bucketSeconds"]
    return out


def who_and_where(doc):
    out = {}
    for key in ("users", "repositories", "sessions"):
        if doc[key]["total"] != len(doc[key]["items"]):
            raise SystemExit(f"{key}: cut by --top; run with a larger one")
    for key in ("users", "repositories"):
        out[key] = {item["name"]: item for item in doc[key]["items"]}
    out["sessions"] = sorted(json.dumps({k: v for k, v in item.items() if k != "session"},
                                        sort_keys=True) for item in doc["sessions"]["items"])
    return out


def nearest_rank(values, p):
    return values[max(0, math.ceil(p * len(values) / 100) - 1)]


def brute_force(rows_path):
    by_api = {}
    with open(rows_path, newline="", encoding="utf-8", errors="replace") as rows:
        for row in csv.reader(rows):
            by_api.setdefault(row[4].split(",")[0], []).append(int(row[3]))
    apis = {}
    for name, values in by_api.items():
        values.sort()
        apis[name] = {"calls": len(values), "totalMs": sum(values), "maxMs": values[-1],
                      **{f"p{p}Ms": nearest_rank(values, p) for p in (50, 95, 99)}}
    return apis


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("whole")
    parser.add_argument("merged")
    parser.add_argument("--csv")
    parser.add_argument("--figures-only", action="store_true")
    parser.add_argument("--who", action="store_true")
    args = parser.parse_args()
    with open(args.whole) as w, open(args.merged) as m:
        whole, merged = json.load(w), json.load(m)
    a, b = figures(whole, args.figures_only), figures(merged, args.figures_only)
    if args.who:
        a.update(who_and_where(whole))
        b.update(who_and_where(merged))
    problems = [f"{key}: whole {a[key]!r:.300} merged {b[key]!r:.300}"
                for key in a if a[key] != b[key]]
    if sum(bucket["calls"] for bucket in b["timeline"]) != b["calls"]:
        problems.append("timeline: the buckets do not add up to the calls")
    if args.csv:
        for name, expected in brute_force(args.csv).items():
            got = {k: b["apis"].get(name, {}).get(k) for k in expected}
            if got != expected:
                problems.append(f"api {name}: CSV gives {expected}, merged {got}")
        if len(brute_force(args.csv)) != len(b["apis"]):
            problems.append("apis: not those of the CSV rows")
    print("\n".join(problems) if problems else "ok")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
