#!/usr/bin/env python3
"""Checks a quintrel JSON profile: valid against the schema, lists ranked and
capped, the longest calls as many as --top asks, the timeline adding up, the
elapsed time covering the longest call, and (given the TEXT report of the
same run) the API rows and the trace duration equal to the report's.

Usage: profile_check.py SCHEMA PROFILE [--top N] [--text REPORT]
Prints "ok", or each problem on a line of its own and exits 1.
"""
import argparse
import json
import re
import sys

import jsonschema


def ranked(items, name_key, count_key):
    keys = [(-i["totalMs"], -i[count_key], i[name_key]) for i in items]
    return keys == sorted(keys)


def text_api_rows(report):
    rows, section = {}, False
    for line in report.splitlines():
        if line == "API call summary:":
            section = True
        elif section and line == "Query summary:":
            break
        elif section and re.fullmatch(r".{20,} +\d+ +\d+\.\d{3}", line):
            name, calls, seconds = re.fullmatch(r"(.*?) *(\d+) +(\d+\.\d{3})", line).groups()
            rows[name] = (int(calls), seconds)
    return rows


def check_top_calls(doc, top):
    problems = []
    calls = doc["topCalls"]
    if doc["run"]["top"] != top:
        problems.append(f"run: top {doc['run']['top']}, not {top}")
    if calls["total"] != doc["trace"]["calls"]:
        problems.append(f"topCalls: total {calls['total']} of {doc['trace']['calls']} calls")
    if len(calls["items"]) != min(top, 1000, doc["trace"]["calls"]):
        problems.append(f"topCalls: {len(calls['items'])} items, top {top}")
    ms = [i["ms"] for i in calls["items"]]
    if ms != sorted(ms, reverse=True):
        problems.append("topCalls: not longest first")
    return problems


def check(doc, top, report):
    problems = []
    lists = [("apis", "name", "calls"), ("queryClasses", "fingerprint", "queries"),
             ("callClasses", "fingerprint", "calls"), ("threads", "id", "calls")]
    for key, name, count in lists:
        items = doc[key]["items"]
        if len(items) > top or len(items) > doc[key]["total"]:
            problems.append(f"{key}: {len(items)} items of {doc[key]['total']}, top {top}")
        totals = [dict(i, totalMs=i.get("totalMs", i.get("dmclMs"))) for i in items]
        if not ranked(totals, name, count):
            problems.append(f"{key}: not ranked")
    problems += check_top_calls(doc, top)
    buckets = doc["timeline"]["buckets"]
    if buckets and sum(b["dmclMs"] for b in buckets) != doc["timeSplit"]["dmclMs"]:
        problems.append("timeline: its dmclMs do not add up to the DMCL time")
    if sum(b["calls"] for b in buckets) not in (0, doc["trace"]["calls"]):
        problems.append("timeline: its calls do not add up to the calls")
    longest = max([i["maxMs"] for i in doc["apis"]["items"]], default=0)
    if buckets and doc["timeSplit"]["elapsedMs"] < longest:
        problems.append(f"elapsed time shorter than the longest call, {longest} ms")
    if report is not None:
        rows = text_api_rows(report)
        json_rows = {i["name"]: (i["calls"], "%.3f" % (i["totalMs"] / 1000)) for i in
                     doc["apis"]["items"]}
        if doc["apis"]["total"] <= top and json_rows != rows:
            problems.append(f"apis differ from the TEXT report: {json_rows} {rows}")
        split = re.search(r"Start Time           : (.*)\nTotal Trace duration : +(-?[\d.]+)\n"
                          r"DMCL call duration   : +([\d.]+)", report)
        ours = (doc["timeSplit"]["start"], "%.3f" % (doc["timeSplit"]["traceDurationMs"] / 1000),
                "%.3f" % (doc["timeSplit"]["dmclMs"] / 1000))
        if split is None or split.groups() != ours:
            problems.append(f"time split differs from the TEXT report: {ours}")
    return problems


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("schema")
    parser.add_argument("profile")
    parser.add_argument("--top", type=int, default=50)
    parser.add_argument("--text")
    args = parser.parse_args()
    schema = json.load(open(args.schema, encoding="utf-8"))
    with open(args.profile, encoding="utf-8") as f:  # fails on invalid UTF-8
        doc = json.load(f)
    problems = [e.message for e in jsonschema.Draft202012Validator(schema).iter_errors(doc)]
    if not problems:
        report = open(args.text, encoding="utf-8", errors="replace").read() if args.text else None
        problems = check(doc, args.top, report)
    print("\n".join(problems) if problems else "ok")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
