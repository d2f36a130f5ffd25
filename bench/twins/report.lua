-- report: 5000 records written, read back, cut into fields, dates
-- reformatted, amounts summed, one report line per record written
local f = io.open("data.txt", "w")
for i = 1, 5000 do
  local m = i % 12 + 101
  local d = i % 28 + 101
  local a = i * 37 % 1000
  f:write("R", tostring(i), ";2026", string.sub(tostring(m), 2, 3), string.sub(tostring(d), 2, 3), ";", tostring(a), "\r\n")
end
f:close()
local out = io.open("report.txt", "w")
local n, t = 0, 0
for l in io.lines("data.txt") do
  l = string.gsub(l, "\r$", "")
  local k = string.find(l, ";", 1, true)
  local id = string.sub(l, 1, k - 1)
  l = string.sub(l, k + 1)
  k = string.find(l, ";", 1, true)
  local dt = string.sub(l, 1, k - 1)
  dt = string.sub(dt, 7, 8) .. "." .. string.sub(dt, 5, 6) .. "." .. string.sub(dt, 1, 4)
  local am = string.sub(l, k + 1)
  t = t + tonumber(am)
  n = n + 1
  out:write(id, " ", dt, " ", am, "\r\n")
end
out:close()
print(n .. " " .. t)
